// The process's command line: Stowlet [program] [parameters] [TIMEOUT=seconds] [TERM] [UNHIDE] [SHOW=1]
// [EXITCODE] [OUTPUT=path]
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/buffers.h"
#include "launcher/command_line_core.h"

// Fills task's Program and option fields from line (the process's command line) and the joined
// parameters handed to the program step, keywords compared under the user's locale; *options
// (when given) gets EXITCODE and OUTPUT=.
ParseResult ParseCommandLine(const char* line, TaskSettings& task, char (&parameters)[TextCapacity],
                             LineOptions* options = nullptr);

// CompareStringW under the user's locale, ignoring case, of two UTF-8 texts: the keywords'
// comparison.
bool SystemEqualIgnoringCase(const char* a, size_t aLength, const char* b, size_t bLength);
