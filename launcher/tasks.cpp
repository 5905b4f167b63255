#include "launcher/tasks.h"

int32_t RunTasks() { return 0; }
