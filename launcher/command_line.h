// The process's command line: Stowlet [program] [parameters] [TIMEOUT=seconds] [TERM] [UNHIDE] [SHOW=1]
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/buffers.h"
#include "launcher/command_line_core.h"

// Argument `number` of GetCommandLineA (0 is the program's own token) into output, without
// enclosing quotes. 1 when non-empty, 2 when empty or absent.
int32_t GetArgument(int32_t number, char* output, size_t capacity, bool* fit = nullptr);
template <size_t N> int32_t GetArgument(int32_t number, char (&output)[N], bool* fit = nullptr)
{
    return GetArgument(number, output, N, fit);
}

// Fills task's Program and option fields and the joined parameters handed to the program step.
ParseResult ParseCommandLine(TaskSettings& task, char (&parameters)[TextCapacity]);

// CompareStringA under the user's locale, ignoring case: the keywords' comparison.
bool SystemEqualIgnoringCase(const char* a, size_t aLength, const char* b, size_t bLength);
