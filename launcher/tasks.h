// Settings-file mode: the previous task, then the main task.
#pragma once

#include <cstdint>

#include "common/buffers.h"
#include "common/startup_values.h"

// Loads the settings file named in startup, computes the macro values and runs both tasks.
// Returns the exit code: with [RUN] ExitCode=Outcome the code of the first step that went wrong
// (0 when none did), else 0.
uint32_t RunTasks(const StartupValues& startup);
