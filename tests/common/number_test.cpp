#include <gtest/gtest.h>

#include <climits>

#include "common/number.h"
#include "common/timeout.h"

TEST(Decimal, SignedAndUnsignedTexts)
{
    char text[DecimalCapacity];
    const std::pair<int32_t, const char*> signedCases[] = {
        {0, "0"},
        {7, "7"},
        {-1, "-1"},
        {1234567890, "1234567890"},
        {INT32_MAX, "2147483647"},
        {INT32_MIN, "-2147483648"},
    };
    for (auto [value, expected] : signedCases) {
        FormatSignedDecimal(value, text);
        EXPECT_STREQ(text, expected);
    }
    FormatUnsignedDecimal(UINT32_MAX, text);
    EXPECT_STREQ(text, "4294967295");
    char two[3];
    FormatTwoDigits(5, two);
    EXPECT_STREQ(two, "05");
    FormatTwoDigits(59, two);
    EXPECT_STREQ(two, "59");
}

TEST(Decimal, ParseWrapsAroundInUnsigned32Bits)
{
    EXPECT_EQ(ParseDecimalDigits(""), 0u);
    EXPECT_EQ(ParseDecimalDigits("30"), 30u);
    EXPECT_EQ(ParseDecimalDigits("007"), 7u);
    EXPECT_EQ(ParseDecimalDigits("4294967295"), 4294967295u);
    EXPECT_EQ(ParseDecimalDigits("4294967296"), 0u);
    EXPECT_EQ(ParseDecimalDigits("99999999999"), 1215752191u);
}

TEST(Decimal, ParseSaturatingStopsAtTheCeiling)
{
    EXPECT_EQ(ParseDecimalSaturating("30s", 3, 100), 30u);
    EXPECT_EQ(ParseDecimalSaturating("4294967295", 10, 0xFFFFFFFEu), 0xFFFFFFFEu);
    EXPECT_EQ(ParseDecimalSaturating("99999999999999999999999", 23, 0xFFFFFFFFu), 0xFFFFFFFFu);
    EXPECT_EQ(ParseDecimalSaturating("12345", 3, 1000), 123u);  // the length bounds the text
}

// Milliseconds that do not fit 32 bits wait the longest finite time (0xFFFFFFFE, one below the
// system's "no limit"), never a wrapped short time; 0 and 0xFFFFFFFF keep meaning "no wait".
TEST(Timeout, MillisecondsClampAndKeepTheNoWaitValues)
{
    struct Case {
        int32_t seconds;
        uint32_t milliseconds;
        bool waits;
    } cases[] = {
        {0, 0, false},
        {-1, 0xFFFFFFFFu, false},
        {5, 5000, true},
        {4294967, 4294967000u, true},  // the largest that fits
        {4294968, 0xFFFFFFFEu, true},  // 4294968000 does not fit
        {-2, 0xFFFFFFFEu, true},       // 0xFFFFFFFE seconds
        {2147483647, 0xFFFFFFFEu, true},
        {536870912, 0xFFFFFFFEu, true},  // 2^29 * 1000 would wrap to 0, "no wait"
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TimeoutMilliseconds(c.seconds), c.milliseconds) << c.seconds;
        EXPECT_EQ(TimeoutWaits(TimeoutMilliseconds(c.seconds)), c.waits) << c.seconds;
    }
}
