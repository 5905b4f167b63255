#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filecopy/file_copy_core.h"

namespace {

TEST(SplitPath, FolderAndNameAtTheLastBackslash)
{
    struct Case {
        const char* path;
        int32_t keep;
        const char* folder;
        const char* name;
        int32_t result;
    } cases[] = {
        {"C:\\Docs\\*.doc", 1, "C:\\Docs\\", "*.doc", 8},
        {"C:\\Docs\\*.doc", 0, "C:\\Docs", "*.doc", 7},
        {"C:\\Docs\\", 1, "C:\\Docs\\", "", 8},
        {"C:\\Docs\\", 0, "C:\\Docs", "", 7},
        {"report.doc", 1, "", "report.doc", 0},  // bare name: no folder, nothing read before the text
        {"report.doc", 0, "", "report.doc", 0},
        {"", 1, "", "", 0},
        {"\\", 0, "", "", 0},
        {"\\\\server\\share\\a.txt", 1, "\\\\server\\share\\", "a.txt", 15},
    };
    for (const Case& c : cases) {
        char folder[32] = "x";
        char name[32] = "x";
        EXPECT_EQ(SplitPath(c.path, folder, sizeof folder, name, sizeof name, c.keep), c.result) << c.path;
        EXPECT_STREQ(folder, c.folder) << c.path;
        EXPECT_STREQ(name, c.name) << c.path;
    }
    char folder[32];
    EXPECT_EQ(SplitPath("C:\\a\\b.txt", folder, sizeof folder, nullptr, 0, 1), 5);  // the name is optional
    EXPECT_STREQ(folder, "C:\\a\\");
}

TEST(SplitPath, APartThatDoesNotFitIsAnError)
{
    char small[6];
    char name[6];
    EXPECT_EQ(SplitPath("C:\\Documents\\a", small, sizeof small, name, sizeof name, 1), -1);
    EXPECT_EQ(SplitPath("C:\\a.document", small, sizeof small, name, sizeof name, 1), -1);
    EXPECT_EQ(SplitPath("C:\\a\\b", small, sizeof small, name, sizeof name, 1), 5);  // exactly fits
}

TEST(TrimSpaces, BlanksAtEitherEndOnly)
{
    struct Case {
        const char* text;
        const char* trimmed;
    } cases[] = {
        {" *.doc ", "*.doc"}, {"*.doc", "*.doc"}, {"   ", ""},         {"", ""},
        {" a b ", "a b"},     {"\t*.x", "\t*.x"}, {"  *.pp?", "*.pp?"},
    };
    for (const Case& c : cases) {
        char out[16];
        EXPECT_TRUE(TrimSpaces(c.text, std::string(c.text).size(), out, sizeof out)) << c.text;
        EXPECT_STREQ(out, c.trimmed) << "[" << c.text << "]";
    }
    char out[16];
    EXPECT_TRUE(TrimSpaces(" ab ;cd", 4, out, sizeof out));  // only the given count is read
    EXPECT_STREQ(out, "ab");
    char tiny[4];
    EXPECT_FALSE(TrimSpaces("  abcd  ", 8, tiny, sizeof tiny));
    EXPECT_TRUE(TrimSpaces("  abc  ", 7, tiny, sizeof tiny));
    EXPECT_STREQ(tiny, "abc");
}

std::vector<std::string> PatternsLastFirst(const std::string& list)
{
    std::vector<std::string> patterns;
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
    using V = std::vector<std::string>;
    struct Case {
        std::string list;
        V patterns;
    } cases[] = {
        {"*.doc;*.xls;*.pp?", V{"*.pp?", "*.xls", "*.doc"}},
        {" *.doc ; *.xls", V{" *.xls", " *.doc "}},
        {"*.doc;;*.xls", V{"*.xls", "", "*.doc"}},
        {"*", V{"*"}},
        {"", V{""}},
        {";", V{"", ""}},
        {";*.doc", V{"*.doc", ""}},  // a leading ";" separates like any other
        {"*.doc;", V{"", "*.doc"}},
        {"a;b;c;d", V{"d", "c", "b", "a"}},
    };
    for (const Case& c : cases) EXPECT_EQ(PatternsLastFirst(c.list), c.patterns) << c.list;

    // A list far longer than a path buffer is scanned whole.
    std::string list;
    for (int i = 0; i < 500; ++i) list += "*.x" + std::to_string(i) + ";";
    list += "*.txt";
    V patterns = PatternsLastFirst(list);
    ASSERT_EQ(patterns.size(), 501u);
    EXPECT_EQ(patterns.front(), "*.txt");
    EXPECT_EQ(patterns.back(), "*.x0");
}

TEST(ClassifySource, FolderListOrFile)
{
    struct Case {
        const char* source;
        bool isFolder;
        SourceForm form;
    } cases[] = {
        {"C:\\Documents", true, SourceFolder},
        {"C:\\Documents\\", false, SourceFolder},
        {"C:\\Documents\\*.doc;*.xls;*.pp?", false, SourcePatterns},
        {"C:\\Docs\\ *.doc ; *.xls", false, SourcePatterns},
        {"C:\\Docs\\*", false, SourcePatterns},
        {"C:\\Docs\\report?.doc", false, SourcePatterns},
        {"C:\\Docs\\a;b", false, SourcePatterns},
        {"C:\\Do*cs\\report.doc", false, SourceFile},  // only the part after the last backslash counts
        {"C:\\Docs\\report.doc", false, SourceFile},
        {"*.txt", false, SourcePatterns},  // bare pattern
        {"report.doc", false, SourceFile},  // bare name
        {"", false, SourceNone},
    };
    for (const Case& c : cases) EXPECT_EQ(ClassifySource(c.source, c.isFolder), c.form) << c.source;
    EXPECT_TRUE(IsAllPattern("*.*"));
    for (const char* p : {"*", "x*.*", "*.*x", "", "*.*.*"}) EXPECT_FALSE(IsAllPattern(p)) << p;
}

std::vector<std::string> Levels(const std::string& path, size_t from, const std::string& refuse = "")
{
    struct Context {
        std::vector<std::string> levels;
        std::string refuse;
    } context{{}, refuse};
    std::vector<char> text(path.begin(), path.end());
    text.push_back('\0');
    int32_t result = StepFolderPath(
        text.data(), from,
        [](const char* level, void* c) {
            auto* ctx = static_cast<Context*>(c);
            ctx->levels.push_back(level);
            return ctx->levels.back() != ctx->refuse;
        },
        &context);
    EXPECT_EQ(std::string(text.data()), path) << "restored";
    if (result != 1) context.levels.push_back("<0>");
    return context.levels;
}

TEST(CreateFolderPath, LevelsFromTheStartRule)
{
    using V = std::vector<std::string>;
    struct Case {
        std::string path;
        size_t start;
        V levels;
    } cases[] = {
        {"C:\\a\\b\\", 3, V{"C:\\a", "C:\\a\\b"}},
        {"C:\\a\\b", 3, V{"C:\\a", "C:\\a\\b"}},
        {"\\a\\b\\", 1, V{"\\a", "\\a\\b"}},
        {"a\\b\\", 0, V{"a", "a\\b"}},
        {"a", 0, V{"a"}},
        {"", 0, V{}},
        {"C:\\", 3, V{}},
        {"C:", 2, V{}},
        {"\\\\server\\share\\x\\y\\", 15, V{"\\\\server\\share\\x", "\\\\server\\share\\x\\y"}},
        {"\\\\server\\share", 14, V{}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FolderPathStart(c.path.c_str()), c.start) << c.path;
        EXPECT_EQ(Levels(c.path, c.start), c.levels) << c.path;
    }
    // The first level that cannot be made ends the walk with 0.
    EXPECT_EQ(Levels("C:\\a\\b\\c\\", 3, "C:\\a\\b"), (V{"C:\\a", "C:\\a\\b", "<0>"}));
    // Known levels are skipped.
    EXPECT_EQ(Levels("C:\\t\\a\\b\\", CommonFolderLength("C:\\t\\a\\b\\", "C:\\t\\a\\"), ""), V{"C:\\t\\a\\b"});
}

TEST(CreateFolderPath, CommonFolderEndsAtABackslash)
{
    EXPECT_EQ(CommonFolderLength("C:\\t\\a\\", "C:\\t\\a\\"), 7u);
    EXPECT_EQ(CommonFolderLength("C:\\t\\a\\b\\", "C:\\t\\a\\"), 7u);
    EXPECT_EQ(CommonFolderLength("C:\\t\\a\\", "C:\\t\\ab\\"), 5u);
    EXPECT_EQ(CommonFolderLength("C:\\t\\ab\\", "C:\\t\\a\\"), 5u);
    EXPECT_EQ(CommonFolderLength("C:\\t\\", ""), 0u);
    EXPECT_EQ(CommonFolderLength("D:\\t\\", "C:\\t\\"), 0u);
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
        {UINT64_MAX - 5, 90, true},                 // the sum saturates rather than wrapping into the past
    };
    for (const Case& c : cases)
        EXPECT_EQ(PassesCutOff(c.written, c.minutes, start), c.passes) << c.written << " " << c.minutes;
    // The largest window, about 8,000 years, is formed in 64 bits.
    const uint64_t late = 4294967295ull * minute + 1000;
    EXPECT_TRUE(PassesCutOff(1000, UINT32_MAX, late));
    EXPECT_FALSE(PassesCutOff(999, UINT32_MAX, late));
}

}  // namespace
