// Decimal text both ways: every value formats to its plain decimal text and reads back from
// it; any digit text reads as its value modulo 2^32; a bounded count of the settings file
// ([RUN] CopyRetries, CopyRetryWait) reads any text as its leading number, capped, never wrapped.
#include <cstdio>
#include <cstring>
#include <string>

#include "common/number.h"
#include "fuzz/fuzz_input.h"
#include "settings/run_settings_core.h"

namespace {

void RoundTrip(int32_t value)
{
    char text[DecimalCapacity];
    FormatSignedDecimal(value, text);
    char expected[32];
    std::snprintf(expected, sizeof expected, "%d", int(value));
    FUZZ_CHECK(std::strcmp(text, expected) == 0, "FormatSignedDecimal", std::string(text) + " vs " + expected);
    const char* digits = text[0] == '-' ? text + 1 : text;
    uint32_t magnitude = value < 0 ? 0u - uint32_t(value) : uint32_t(value);
    FUZZ_CHECK(ParseDecimalDigits(digits) == magnitude, "ParseDecimalDigits of a formatted value", text);

    FormatUnsignedDecimal(uint32_t(value), text);
    std::snprintf(expected, sizeof expected, "%u", unsigned(uint32_t(value)));
    FUZZ_CHECK(std::strcmp(text, expected) == 0, "FormatUnsignedDecimal", std::string(text) + " vs " + expected);
    FUZZ_CHECK(ParseDecimalDigits(text) == uint32_t(value), "ParseDecimalDigits of an unsigned text", text);

    char two[3];
    FormatTwoDigits(uint32_t(value) % 100, two);
    std::snprintf(expected, sizeof expected, "%02u", unsigned(uint32_t(value) % 100));
    FUZZ_CHECK(std::strcmp(two, expected) == 0, "FormatTwoDigits");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    RoundTrip(int32_t(in.Dword()));

    // The rest as it is, a [RUN] count: blanks, then digits, capped at most; no digits: fallback.
    std::string digits = in.Text();
    uint32_t most = uint32_t(digits.size() * 37u);
    size_t at = digits.find_first_not_of(" \t");
    uint64_t count = 0;
    bool any = false;
    for (; at != std::string::npos && at < digits.size() && digits[at] >= '0' && digits[at] <= '9'; ++at) {
        any = true;
        count = count * 10 + uint64_t(digits[at] - '0');
        if (count > most) count = most;
    }
    FUZZ_CHECK(ParseBoundedCount(digits.c_str(), 7, most) == (any ? uint32_t(count) : 7u), "ParseBoundedCount", digits);

    // The same bytes as digits (each byte taken modulo 10): the value wraps in 32 bits.
    uint64_t reference = 0;
    for (char& c : digits) {
        c = char('0' + uint8_t(c) % 10);
        reference = (reference * 10 + uint64_t(c - '0')) & 0xFFFFFFFFu;
    }
    FUZZ_CHECK(ParseDecimalDigits(digits.c_str()) == uint32_t(reference), "ParseDecimalDigits wraps", digits);
    return 0;
}
