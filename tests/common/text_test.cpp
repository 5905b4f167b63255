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
