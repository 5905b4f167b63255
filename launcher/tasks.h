// Settings-file mode: the previous task, then the main task.
#pragma once

#include <cstdint>

#include "common/buffers.h"

// The %PROCESSID% value: the previous task's running instance found at the start ("0" for none).
extern char ProcessIdText[PathCapacity];
// 1 while the current task's copy source or target names %GITBRANCHNAME%: the copy then
// skips ".git" and ".github" folders.
extern int32_t SkipGitFolders;

int32_t RunTasks();
