// Names for the target programs of these tests: unique to this test program's run, so a
// terminate test can never end another test's (or another developer's) processes.
#pragma once

#include <windows.h>

#include <string>

// 32-bit programs run emulated on the test machines, several times slower to start: cases
// that only repeat what the 64-bit build already covers of the same code are left to it.
constexpr bool SlowStarts = sizeof(void*) == 4;

inline std::string UniqueTargetName(const char* purpose)
{
    return std::string("exec_") + purpose + (sizeof(void*) == 8 ? "_w64_" : "_w32_") +
           std::to_string(GetCurrentProcessId());
}
