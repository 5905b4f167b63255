#include "launcher/program.h"

DWORD LaunchProgram(const char*, const char*, const char*, int32_t, int32_t, int32_t, int32_t) { return 0; }
