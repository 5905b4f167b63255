#include "common/number.h"

void FormatUnsignedDecimal(uint32_t value, char (&output)[DecimalCapacity])
{
    char digits[DecimalCapacity];
    size_t n = 0;
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value);
    for (size_t i = 0; i < n; ++i) output[i] = digits[n - 1 - i];
    output[n] = '\0';
}

void FormatSignedDecimal(int32_t value, char (&output)[DecimalCapacity])
{
    if (value >= 0) {
        FormatUnsignedDecimal(uint32_t(value), output);
        return;
    }
    // Negate in unsigned arithmetic so INT32_MIN needs no special case.
    char magnitude[DecimalCapacity];
    FormatUnsignedDecimal(0u - uint32_t(value), magnitude);
    output[0] = '-';
    size_t i = 0;
    do output[i + 1] = magnitude[i];
    while (magnitude[i++]);
}

void FormatTwoDigits(uint32_t value, char (&output)[3])
{
    output[0] = char('0' + (value / 10) % 10);
    output[1] = char('0' + value % 10);
    output[2] = '\0';
}

uint32_t ParseDecimalDigits(const char* text)
{
    uint32_t value = 0;
    for (; *text; ++text) value = value * 10u + uint32_t(uint8_t(*text) - uint8_t('0'));
    return value;
}

uint32_t ParseDecimalSaturating(const char* text, size_t length, uint32_t ceiling)
{
    uint64_t value = 0;
    for (size_t i = 0; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10u + uint64_t(text[i] - '0');
        if (value > ceiling) return ceiling;
    }
    return uint32_t(value);
}
