#include "launcher/command_line.h"

#include <windows.h>

#include "launcher/startup.h"

int32_t GetArgument(int32_t number, char* output, size_t capacity, bool* fit)
{
    return SplitArgument(gSeams.commandLine(), number, output, capacity, fit);
}

bool SystemEqualIgnoringCase(const char* a, size_t aLength, const char* b, size_t bLength)
{
    if (aLength > 0x7FFFFFFF || bLength > 0x7FFFFFFF) return false;
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a, int(aLength), b, int(bLength)) == CSTR_EQUAL;
}

ParseResult ParseCommandLine(TaskSettings& task, char (&parameters)[TextCapacity])
{
    return ParseCommandText(gSeams.commandLine(), task, parameters, SystemEqualIgnoringCase);
}
