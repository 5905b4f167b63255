#include "settings/task_settings.h"

// Zero-filled at start as static storage.
TaskSettings PreviousTask;
TaskSettings MainTask;
