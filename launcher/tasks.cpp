#include "launcher/tasks.h"

char ProcessIdText[PathCapacity];
int32_t SkipGitFolders;

int32_t RunTasks() { return 0; }
