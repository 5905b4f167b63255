#include "common/timeout.h"

#include "common/number.h"

int32_t TimeoutFromDigits(const char* digits, size_t length)
{
    return int32_t(ParseDecimalSaturating(digits, length, LongestWait));
}

uint32_t TimeoutMilliseconds(int32_t stored)
{
    uint32_t seconds = uint32_t(stored);
    if (!TimeoutWaits(seconds)) return seconds;
    return seconds > LongestWait / 1000u ? LongestWait : seconds * 1000u;
}

bool TimeoutWaits(uint32_t milliseconds) { return milliseconds != 0 && milliseconds != 0xFFFFFFFFu; }
