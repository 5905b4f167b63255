#include <gtest/gtest.h>

#include <climits>

#include "common/number.h"

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
