// Settings-file mode: the previous task, then the main task.
#pragma once

#include <cstdint>

#include "common/buffers.h"
#include "common/startup_values.h"

// Loads the settings file named in startup, computes the macro values and runs both tasks.
// Returns 0.
int32_t RunTasks(const StartupValues& startup);
