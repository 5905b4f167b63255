#include "common/time_mark.h"

#ifdef STOWLET_TIME_MARKS
#include <windows.h>

#include "common/number.h"
#include "common/text.h"

void TimeMark(const char* what)
{
    static LARGE_INTEGER first = {};
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    if (!first.QuadPart) first = now;
    char line[256] = "mark ";
    char number[DecimalCapacity];
    FormatSignedDecimal(int32_t((now.QuadPart - first.QuadPart) * 1000000 / frequency.QuadPart), number);
    (void)TextAppend(line, number);
    (void)TextAppend(line, " us ");
    (void)TextAppend(line, what);
    (void)TextAppend(line, "\n");
    OutputDebugStringA(line);
}
#endif
