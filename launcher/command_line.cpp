#include "launcher/command_line.h"

#include <windows.h>

bool SystemEqualIgnoringCase(const char* a, size_t aLength, const char* b, size_t bLength)
{
    if (aLength > 0x7FFFFFFF || bLength > 0x7FFFFFFF) return false;
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a, int(aLength), b, int(bLength)) == CSTR_EQUAL;
}

ParseResult ParseCommandLine(const char* line, TaskSettings& task, char (&parameters)[TextCapacity])
{
    return ParseCommandText(line, task, parameters, SystemEqualIgnoringCase);
}
