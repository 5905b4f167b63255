#include "launcher/command_line.h"

#include "common/unicode.h"

bool SystemEqualIgnoringCase(const char* a, size_t aLength, const char* b, size_t bLength)
{
    return Utf8EqualIgnoringCase(a, aLength, b, bLength);
}

ParseResult ParseCommandLine(const char* line, TaskSettings& task, char (&parameters)[TextCapacity],
                             LineOptions* options)
{
    return ParseCommandText(line, task, parameters, SystemEqualIgnoringCase, options);
}
