// Settings-file mode: the previous task, then the main task.
#pragma once

#include <cstdint>

int32_t RunTasks();
