// Decimal text of numbers, free of any platform call.
#pragma once

#include <cstddef>
#include <cstdint>

// Room for the longest signed 32-bit decimal ("-2147483648") and its terminator.
constexpr size_t DecimalCapacity = 12;

// "-" before negative values, "0" for zero, no leading zeros.
void FormatSignedDecimal(int32_t value, char (&output)[DecimalCapacity]);
void FormatUnsignedDecimal(uint32_t value, char (&output)[DecimalCapacity]);
// Two digits with a leading zero (values 0 to 99).
void FormatTwoDigits(uint32_t value, char (&output)[3]);

// value = value * 10 + (c - '0') for each character, unsigned 32-bit arithmetic that wraps.
// The caller passes digits only.
uint32_t ParseDecimalDigits(const char* text);

// The same digits read without wrapping: a value above ceiling gives ceiling. Stops at the first
// character that is not a digit; length bounds the text.
uint32_t ParseDecimalSaturating(const char* text, size_t length, uint32_t ceiling);
