// Settings-file mode: the previous task, then the main task.
#pragma once

#include <cstdint>

#include "common/buffers.h"
#include "common/startup_values.h"

// Loads the settings file named in startup, computes the macro values and runs both tasks.
// Returns 0.
int32_t RunTasks(const StartupValues& startup);

// Read by the copy engine until it takes its own copy-run record: 1 while the current task's
// copy source or target names %GITBRANCHNAME% (the copy then skips ".git" and ".github").
extern int32_t SkipGitFolders;
