// A program's time-out, one type from the text that gives it to the wait that uses it. The
// records keep the seconds as stored (a signed 32-bit field read as unsigned), so a value goes
// back to the settings file as it came; the digits and the milliseconds saturate, never wrap.
#pragma once

#include <cstddef>
#include <cstdint>

// The longest finite wait, in milliseconds and as the seconds a digit run saturates to: one
// below the system's "no limit" (0xFFFFFFFF), which means no wait at all.
constexpr uint32_t LongestWait = 0xFFFFFFFEu;

// A decimal digit run as stored seconds: a number past 32 bits, or one naming "no limit",
// gives LongestWait seconds.
int32_t TimeoutFromDigits(const char* digits, size_t length);

// Stored seconds (read as unsigned) to milliseconds: 0 and 0xFFFFFFFF stay as they are (no
// wait); a product past 32 bits becomes LongestWait, never a wrapped short time.
uint32_t TimeoutMilliseconds(int32_t stored);
// 0 and 0xFFFFFFFF mean no wait at all.
bool TimeoutWaits(uint32_t milliseconds);

// A time-out as a task stores it: the seconds as the file holds them (written back and shown as
// they came, -1 as -1), and what they mean to the wait.
struct StoredTimeout {
    int32_t Stored;
    uint32_t Milliseconds() const { return TimeoutMilliseconds(Stored); }
    bool Waits() const { return TimeoutWaits(Milliseconds()); }
};
