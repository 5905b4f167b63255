#include <gtest/gtest.h>

#include <cstring>

#include "common/text.h"

TEST(BoundedText, CopyReportsWhetherTheWholeTextFit)
{
    char buffer[6];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_TRUE(TextCopy(buffer, "abcde"));
    EXPECT_STREQ(buffer, "abcde");
    EXPECT_FALSE(TextCopy(buffer, "abcdef"));
    EXPECT_STREQ(buffer, "abcde");  // what fit, terminated
    EXPECT_TRUE(TextCopy(buffer, ""));
    EXPECT_STREQ(buffer, "");
    char none[1];
    EXPECT_FALSE(TextCopy(none, 0, "a"));  // no room even for the terminator: nothing written
    EXPECT_TRUE(TextCopy(none, 1, ""));
}

TEST(BoundedText, AppendNeverWritesPastTheBufferAndRepairsAMissingTerminator)
{
    char buffer[8] = "abc";
    EXPECT_TRUE(TextAppend(buffer, "defg"));
    EXPECT_STREQ(buffer, "abcdefg");
    EXPECT_FALSE(TextAppend(buffer, "h"));
    EXPECT_STREQ(buffer, "abcdefg");
    std::memset(buffer, 'x', sizeof buffer);  // no terminator at all
    EXPECT_FALSE(TextAppend(buffer, ""));
    EXPECT_EQ(buffer[7], '\0');
}

TEST(BoundedText, CountedCopiesStopAtTheCountOrTheTextsEnd)
{
    char buffer[8];
    EXPECT_TRUE(TextCopyN(buffer, sizeof buffer, "abcdef", 3));
    EXPECT_STREQ(buffer, "abc");
    EXPECT_TRUE(TextCopyN(buffer, sizeof buffer, "ab", 5));
    EXPECT_STREQ(buffer, "ab");
    EXPECT_TRUE(TextCopyN(buffer, sizeof buffer, "abcdefghij", 7));
    EXPECT_FALSE(TextCopyN(buffer, sizeof buffer, "abcdefghij", 8));
    EXPECT_TRUE(TextAppendN(buffer, sizeof buffer, "zzz", 0));
}

TEST(BoundedText, DisplayCopyMarksACut)
{
    char buffer[8];
    EXPECT_TRUE(TextCopyForDisplay(buffer, sizeof buffer, "short"));
    EXPECT_STREQ(buffer, "short");
    EXPECT_FALSE(TextCopyForDisplay(buffer, sizeof buffer, "much too long"));
    EXPECT_STREQ(buffer, "much...");
    // A cut never splits a UTF-8 character: "ab" and a Greek letter (two bytes) then the marker.
    EXPECT_FALSE(TextCopyForDisplay(buffer, sizeof buffer, "ab\xCE\xB1\xCE\xB2\xCE\xB3"));
    EXPECT_STREQ(buffer, "ab\xCE\xB1...");
}

TEST(BoundedText, LimitsCountUtf16Units)
{
    struct Case {
        const char* text;
        size_t units;
    } cases[] = {
        {"", 0},
        {"abc", 3},
        {"\xCE\xA9mega", 5},              // a Greek letter: one unit
        {"\xE6\x97\xA5\xE6\x9C\xAC", 2},  // two Japanese characters: one unit each
        {"\xF0\x9D\x84\x9E!", 3},         // outside the Basic Multilingual Plane: two
        {"\xFF\xC3(\xE6\x97", 5},         // bytes that begin no character: one each
        {"\xED\xA0\x80", 3},              // an encoded surrogate is no UTF-8
        {"\xC0\xAF", 2},                  // nor is an overlong form
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf16Length(c.text), c.units) << c.text;
        EXPECT_TRUE(TextFitsUnits(c.text, c.units)) << c.text;
        if (c.units) {
            EXPECT_FALSE(TextFitsUnits(c.text, c.units - 1)) << c.text;
        }
        EXPECT_EQ(TextPrefixForUnits(c.text, c.units), std::strlen(c.text)) << c.text;
    }
    // A cut at a number of units ends where a character ends.
    struct Prefix {
        const char* text;
        size_t units, bytes;
    } prefixes[] = {
        {"ab\xCE\xA9", 2, 2}, {"ab\xCE\xA9", 3, 4}, {"a\xF0\x9D\x84\x9E", 2, 1}, {"a\xF0\x9D\x84\x9E", 3, 5}};
    for (const Prefix& p : prefixes) {
        EXPECT_EQ(TextPrefixForUnits(p.text, p.units), p.bytes) << p.text << " " << p.units;
    }
}

TEST(FindText, ResultsForMatchesMissesAndBadStarts)
{
    struct Case {
        int32_t start;
        const char* text;
        const char* pattern;
        int32_t expected;
    } cases[] = {
        {1, "abcabc", "abc", 1},
        {2, "abcabc", "abc", 4},
        {4, "abcabc", "abc", 4},
        {5, "abcabc", "abc", -2},  // no room left for the pattern
        {0, "abcabc", "abc", -2},
        {-7, "abcabc", "abc", -2},
        {1, "abc", "abc", -1},  // a text equal to the pattern
        {1, "ab", "abc", -1},
        {1, "", "", -1},
        {1, "xyzxyz", "abc", 0},
        {1, "D:\\bak\\%GITBRANCHNAME%", "%GITBRANCHNAME%", 8},
        {1, "D:\\bak", "%GITBRANCHNAME%", -1},
        {1, "ABC", "b", 0},        // case-sensitive
        {1, "a\xE9z", "\xE9", 2},  // bytes above 127 compare as bytes
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindText(c.start, c.text, c.pattern), c.expected) << c.text << " / " << c.pattern << " @" << c.start;
}

TEST(Bytes, FillAndOverlappingMoves)
{
    char buffer[10] = "abcdefghi";
    CopyBytes(buffer, buffer + 2, 5);  // forward overlap
    EXPECT_STREQ(buffer, "ababcdehi");
    CopyBytes(buffer + 2, buffer, 5);  // backward overlap
    EXPECT_STREQ(buffer, "abcdedehi");
    FillBytes(buffer, 3, 'z');
    EXPECT_STREQ(buffer, "zzzdedehi");
    EXPECT_EQ(TextLength(buffer), 9u);
    EXPECT_EQ(TextLengthWithin(buffer, 4), 4u);
}

TEST(Compare, ExactAndAsciiCaseInsensitive)
{
    EXPECT_TRUE(TextEquals("abc", "abc"));
    EXPECT_FALSE(TextEquals("abc", "abcd"));
    EXPECT_FALSE(TextEquals("abc", "ABC"));
    EXPECT_TRUE(TextEqualsIgnoreCase("tRuE", "TRUE"));
    EXPECT_FALSE(TextEqualsIgnoreCase("TRUEX", "TRUE"));
    EXPECT_TRUE(TextEndsWith("C:\\", '\\'));
    EXPECT_FALSE(TextEndsWith("", '\\'));
}
