#include "launcher/command_line.h"

#include <windows.h>

#include "launcher/startup.h"

char CommandParameters[TextCapacity];

int32_t GetArgument(int32_t number, char* output, size_t capacity, bool* fit)
{
    return SplitArgument(Seams.commandLine(), number, output, capacity, fit);
}

bool SystemEqualIgnoringCase(const char* a, size_t aLength, const char* b, size_t bLength)
{
    if (aLength > 0x7FFFFFFF || bLength > 0x7FFFFFFF) return false;
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a, int(aLength), b, int(bLength)) == CSTR_EQUAL;
}

ParseResult ParseCommandLine()
{
    return ParseCommandText(Seams.commandLine(), MainTask, CommandParameters, SystemEqualIgnoringCase);
}
