// Names for the target programs of these tests: unique to this test program's run, so a
// terminate test can never end another test's (or another developer's) processes.
#pragma once

#include <windows.h>

#include <string>

inline std::string UniqueTargetName(const char* purpose)
{
    return std::string("exec_") + purpose + (sizeof(void*) == 8 ? "_w64_" : "_w32_") +
           std::to_string(GetCurrentProcessId());
}
