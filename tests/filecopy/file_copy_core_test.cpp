#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "filecopy/file_copy_core.h"

namespace {

TEST(TrimSpaces, BlanksAtEitherEndOnly)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* trimmed;
    } cases[] = {
        {L" *.doc ", L"*.doc"}, {L"*.doc", L"*.doc"}, {L"   ", L""},          {L"", L""},
        {L" a b ", L"a b"},     {L"\t*.x", L"\t*.x"}, {L"  *.pp?", L"*.pp?"},
    };
    for (const Case& c : cases) {
        wchar_t out[16];
        EXPECT_TRUE(TrimSpaces(c.text, std::wstring(c.text).size(), out, std::size(out))) << c.text;
        EXPECT_STREQ(out, c.trimmed) << "[" << c.text << "]";
    }
    wchar_t out[16];
    EXPECT_TRUE(TrimSpaces(L" ab ;cd", 4, out, std::size(out)));  // only the given count is read
    EXPECT_STREQ(out, L"ab");
    wchar_t tiny[4];
    EXPECT_FALSE(TrimSpaces(L"  abcd  ", 8, tiny, std::size(tiny)));
    EXPECT_TRUE(TrimSpaces(L"  abc  ", 7, tiny, std::size(tiny)));
    EXPECT_STREQ(tiny, L"abc");
}

std::vector<std::wstring> PatternsLastFirst(const std::wstring& list)
{
    std::vector<std::wstring> patterns;
    PatternScan scan = BeginPatternScan(list.c_str());
    size_t start = 0;
    size_t count = 0;
    while (PreviousPattern(scan, &start, &count)) {
        EXPECT_LE(start + count, list.size());
        patterns.push_back(list.substr(start, count));
        if (patterns.size() > list.size() + 1) break;  // a scan must end
    }
    return patterns;
}

TEST(PatternScan, LastPatternFirstEverySeparatorCounts)
{
    using V = std::vector<std::wstring>;
    struct Case {
        std::wstring list;
        V patterns;
    } cases[] = {
        {L"*.doc;*.xls;*.pp?", V{L"*.pp?", L"*.xls", L"*.doc"}},
        {L" *.doc ; *.xls", V{L" *.xls", L" *.doc "}},
        {L"*.doc;;*.xls", V{L"*.xls", L"", L"*.doc"}},
        {L"*", V{L"*"}},
        {L"", V{L""}},
        {L";", V{L"", L""}},
        {L";*.doc", V{L"*.doc", L""}},  // a leading ";" separates like any other
        {L"*.doc;", V{L"", L"*.doc"}},
        {L"a;b;c;d", V{L"d", L"c", L"b", L"a"}},
    };
    for (const Case& c : cases) EXPECT_EQ(PatternsLastFirst(c.list), c.patterns) << c.list;

    // A list far longer than a path buffer is scanned whole.
    std::wstring list;
    for (int i = 0; i < 500; ++i) list += L"*.x" + std::to_wstring(i) + L";";
    list += L"*.txt";
    V patterns = PatternsLastFirst(list);
    ASSERT_EQ(patterns.size(), 501u);
    EXPECT_EQ(patterns.front(), L"*.txt");
    EXPECT_EQ(patterns.back(), L"*.x0");
}

TEST(ClassifySource, FolderListOrFile)
{
    struct Case {
        const wchar_t* source;
        bool isFolder;
        SourceForm form;
    } cases[] = {
        {L"C:\\Documents", true, SourceFolder},
        {L"C:\\Documents\\", false, SourceFolder},
        {L"C:\\Documents\\*.doc;*.xls;*.pp?", false, SourcePatterns},
        {L"C:\\Docs\\ *.doc ; *.xls", false, SourcePatterns},
        {L"C:\\Docs\\*", false, SourcePatterns},
        {L"C:\\Docs\\report?.doc", false, SourcePatterns},
        {L"C:\\Docs\\a;b", false, SourcePatterns},
        {L"C:\\Do*cs\\report.doc", false, SourceFile},  // only the part after the last backslash counts
        {L"C:\\Docs\\report.doc", false, SourceFile},
        {L"*.txt", false, SourcePatterns},                     // bare pattern
        {L"report.doc", false, SourceFile},                    // bare name
        {L"C:\\Ωfolder\\日本語?.txt", false, SourcePatterns},  // "?" after a name in any alphabet
        {L"", false, SourceNone},
    };
    for (const Case& c : cases) EXPECT_EQ(ClassifySource(c.source, c.isFolder), c.form) << c.source;
    EXPECT_TRUE(IsAllPattern(L"*.*"));
    for (const wchar_t* p : {L"*", L"x*.*", L"*.*x", L"", L"*.*.*"}) EXPECT_FALSE(IsAllPattern(p)) << p;
}

TEST(CreateFolderPath, CommonFolderEndsAtABackslash)
{
    EXPECT_EQ(CommonFolderLength(L"C:\\t\\a\\", L"C:\\t\\a\\"), 7u);
    EXPECT_EQ(CommonFolderLength(L"C:\\t\\a\\b\\", L"C:\\t\\a\\"), 7u);
    EXPECT_EQ(CommonFolderLength(L"C:\\t\\a\\", L"C:\\t\\ab\\"), 5u);
    EXPECT_EQ(CommonFolderLength(L"C:\\t\\ab\\", L"C:\\t\\a\\"), 5u);
    EXPECT_EQ(CommonFolderLength(L"C:\\t\\", L""), 0u);
    EXPECT_EQ(CommonFolderLength(L"D:\\t\\", L"C:\\t\\"), 0u);
}

TEST(CutOff, BoundaryInclusiveFuturePassesNoWrap)
{
    const uint64_t start = 133000000000000000ull;  // some day in 2022
    const uint64_t minute = FileTimeUnitsPerMinute;
    struct Case {
        uint64_t written;
        uint32_t minutes;
        bool passes;
    } cases[] = {
        {start - 90 * minute, 90, true},       // exactly at the cut-off
        {start - 90 * minute - 1, 90, false},  // 100 ns before it
        {start - 91 * minute, 90, false},
        {start + minute, 90, true},  // written after the run started
        {0, 0, true},                // no filter
        {0, 1, false},
        {UINT64_MAX - 5, 90, true},  // the sum saturates rather than wrapping into the past
    };
    for (const Case& c : cases)
        EXPECT_EQ(PassesCutOff(c.written, c.minutes, start), c.passes) << c.written << " " << c.minutes;
    // The largest window, about 8,000 years, is formed in 64 bits.
    const uint64_t late = 4294967295ull * minute + 1000;
    EXPECT_TRUE(PassesCutOff(1000, UINT32_MAX, late));
    EXPECT_FALSE(PassesCutOff(999, UINT32_MAX, late));
}

// A copy is written as "<name>.~<32 hex digits of the run's mark>.stowlet-partial" beside its
// final name; where that would pass the 255-character limit of one name, the name's start, "~"
// and 16 hex digits that stand for the whole name take its place.
TEST(TemporaryName, BesideItsFileWithinTheNameLimitWithTheRunsMark)
{
    const std::wstring suffix = L".stowlet-partial";
    const RunMark mark{0x1234abcd, 0x10, 0x01d9f00dcafe0001ull};
    wchar_t digits[RunMarkDigits + 1];
    FormatRunMark(mark, digits);
    EXPECT_EQ(std::wstring(digits), L"1234abcd0000001001d9f00dcafe0001");
    const std::wstring end = L".~" + std::wstring(digits) + suffix;
    auto temporary = [&](const std::wstring& name, const wchar_t* with) {
        wchar_t out[256];
        EXPECT_TRUE(TemporaryName(name.c_str(), with, out, std::size(out))) << name;
        return std::wstring(out);
    };
    EXPECT_EQ(temporary(L"a.doc", digits), L"a.doc" + end);
    EXPECT_EQ(temporary(L"日本語.txt", digits), L"日本語.txt" + end);
    EXPECT_EQ(temporary(L"a.doc", L"*"), L"a.doc.~*" + suffix);
    const std::wstring fits(255 - end.size(), L'n');
    EXPECT_EQ(temporary(fits, digits), fits + end);

    // The long form: within the limit, its file's start kept, and the same file always gives the
    // same name, whatever the letter case it is spelled in (one file to the file system); the
    // pattern of every run's name of it has the same start.
    struct Case {
        std::wstring name;
        std::wstring sameFile;  // another spelling of the same file
        std::wstring other;     // another file with the same start
    } cases[] = {
        {fits + L"x", fits + L"X", fits + L"y"},
        {std::wstring(255, L'a'), std::wstring(254, L'a') + L"A", std::wstring(254, L'a') + L"b"},
        {std::wstring(300, L'Ω'), std::wstring(300, L'Ω'), std::wstring(299, L'Ω') + L"x"},
    };
    for (const Case& c : cases) {
        std::wstring name = temporary(c.name, digits);
        SCOPED_TRACE(c.name.substr(0, 8) + L"... of " + std::to_wstring(c.name.size()));
        EXPECT_LE(name.size(), 255u);
        ASSERT_GT(name.size(), end.size() + 17);
        EXPECT_EQ(name.substr(name.size() - end.size()), end);
        size_t start = name.size() - end.size() - 17;
        EXPECT_EQ(name.substr(0, start), c.name.substr(0, start));
        EXPECT_EQ(name[start], L'~');
        EXPECT_EQ(name.substr(start + 1, 16).find_first_not_of(L"0123456789abcdef"), std::wstring::npos);
        EXPECT_EQ(temporary(c.sameFile, digits), name);
        EXPECT_NE(temporary(c.other, digits), name);
        EXPECT_EQ(temporary(c.name, L"*"), name.substr(0, start + 17) + L".~*" + suffix);
    }

    // A letter outside the basic plane is never cut in half.
    std::wstring pairs;
    while (pairs.size() < 300) pairs += L"\xD83D\xDE00";
    std::wstring name = temporary(L"x" + pairs, digits);
    size_t cut = name.find(L'~');
    EXPECT_FALSE(name[cut - 1] >= 0xD800 && name[cut - 1] <= 0xDBFF);
    EXPECT_NE(name, temporary(pairs, digits));

    wchar_t small[54];
    EXPECT_FALSE(TemporaryName(L"abcde", digits, small, std::size(small)));
}

// Only a name that carries a whole mark is a run's temporary name: a user's file or folder
// that merely ends the same way is not.
TEST(ReadRunMark, OnlyAWholeMarkAfterAName)
{
    const std::wstring mark = L"1234abcd0000001001d9f00dcafe0001";
    RunMark read{};
    ASSERT_TRUE(ReadRunMark((L"a.doc.~" + mark + L".stowlet-partial").c_str(), &read));
    EXPECT_EQ(read.machine, 0x1234abcdu);
    EXPECT_EQ(read.process, 0x10u);
    EXPECT_EQ(read.started, 0x01d9f00dcafe0001ull);
    const std::wstring users[] = {
        L"Photos.stowlet-partial",
        L"a.doc.stowlet-partial",
        L".~" + mark + L".stowlet-partial",                      // no name before it
        L"a.~" + mark.substr(1) + L".stowlet-partial",           // a digit short
        L"a.~" + mark + L"0.stowlet-partial",                    // a digit over
        L"a.~1234ABCD0000001001d9f00dcafe0001.stowlet-partial",  // digits this copy never writes
        L"a.~" + mark.substr(0, 31) + L"g.stowlet-partial",
        L"a." + mark + L".stowlet-partial",
        L"a.~" + mark + L".stowlet-partial.txt",
        L"a.~" + mark + L".Stowlet-Partial",
    };
    for (const std::wstring& name : users) EXPECT_FALSE(ReadRunMark(name.c_str(), &read)) << name;
}

// The reparse tags of the platform's documentation: junctions and mount points (0xA0000003)
// and symbolic links (0xA000000C) stand for another folder; a cloud file's placeholder
// (0x9000001A) and a deduplicated file (0x80000013) keep their own content.
TEST(IsFolderLink, NameSurrogatesOnly)
{
    constexpr uint32_t Directory = 0x10, Reparse = 0x400;
    EXPECT_TRUE(IsFolderLink(Directory | Reparse, 0xA0000003));
    EXPECT_TRUE(IsFolderLink(Directory | Reparse, 0xA000000C));
    EXPECT_TRUE(IsFolderLink(Directory | Reparse, 0));
    EXPECT_FALSE(IsFolderLink(Directory | Reparse, 0x9000001A));
    EXPECT_FALSE(IsFolderLink(Directory | Reparse, 0x80000013));
    EXPECT_FALSE(IsFolderLink(Directory, 0xA0000003));
    EXPECT_FALSE(IsFolderLink(Reparse, 0xA000000C));  // a file link is copied as its file
}

}  // namespace
