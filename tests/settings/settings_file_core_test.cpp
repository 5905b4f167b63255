#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/settings_file_core.h"
#include "tests/settings/latin1_code_page.h"

TEST(QuoteForProfile, WrapsOnlyWhatTheReaderWouldStrip)
{
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"\"C:\\My Tools\\app.exe\"", "\"\"C:\\My Tools\\app.exe\"\""},
        {"'a b'", "''a b''"},
        {"\"'a'\"", "\"\"'a'\"\""},
        {"'\"a\"'", "''\"a\"''"},
        {"\"", "\"\"\""},
        {"\"a'", "\"a'"},
        {"'a\"", "'a\""},
        {"\"a", "\"a"},
        {"a\"", "a\""},
        {"a \"b\" c", "a \"b\" c"},
        {"", ""},
    };
    for (const Case& c : cases) {
        char text[TextCapacity];
        std::string(c.text).copy(text, sizeof text);
        text[std::string(c.text).size()] = '\0';
        EXPECT_TRUE(QuoteForProfile(text)) << c.text;
        EXPECT_STREQ(text, c.expected) << c.text;
    }
}

TEST(QuoteForProfile, AWrappedFormThatWouldNotFitIsRefused)
{
    for (size_t inner : {TextCapacity - 5, TextCapacity - 4, TextCapacity - 3}) {
        std::string typed = "\"" + std::string(inner, 'x') + "\"";
        char text[TextCapacity];
        typed.copy(text, sizeof text);
        text[typed.size()] = '\0';
        bool fits = typed.size() + 2 <= TextCapacity - 1;
        EXPECT_EQ(QuoteForProfile(text), fits) << typed.size();
        EXPECT_EQ(std::string(text), fits ? "\"" + typed + "\"" : typed) << typed.size();
    }
}

// What a run names at its start: keys no task has and values not of their kind, per section, in
// file order; the [RUN] section and text keys are left alone.
TEST(SettingsProblems, UnknownKeysAndValuesNotOfTheirKindAreNamed)
{
    std::string file =
        "[RUN]\r\nNoSuchRunKey=1\r\n"
        "[OPTIONS]\r\nProgram=job.cmd\r\nCopyOverwirte=1\r\nTimeout=abc\r\ntimeout=5\r\nShow=TRUE\r\n"
        "AskExecute=yes\r\nTerm=0x1\r\nUnhide= 1 \r\nCopySubFolders=\"1\"\r\nCopyModifiedFilesHour=-2\r\n"
        "CopyModifiedFilesMinute=30m\r\nCopyAfterExecute=FALSE\r\n"
        "[PREVIOUS]\r\nWorkDir=C:\\\r\nAskCopy=0x\r\n"
        "[OPTIONS]\r\nLaterSection=1\r\n";  // a second section of the name is never read
    std::vector<IniUnit> units(IniDecodedCapacity(file.size()));
    IniDocument document{};
    document.Text = units.data();
    document.Capacity = units.size();
    ASSERT_TRUE(DecodeIniFile(reinterpret_cast<const unsigned char*>(file.data()), file.size(), Latin1, document));
    std::vector<std::string> found;
    FindSettingsProblems(
        document,
        [](void* context, const SettingsProblem& p) {
            static_cast<std::vector<std::string>*>(context)->push_back(
                std::string(p.Task == TaskId::Previous ? "PREVIOUS " : "OPTIONS ") + p.Key + "=" + p.Value +
                (p.KeyIndex < 0 ? " unknown" : " bad"));
        },
        &found);
    std::vector<std::string> expected = {"PREVIOUS WorkDir=C:\\ unknown",   "PREVIOUS AskCopy=0x bad",
                                         "OPTIONS CopyOverwirte=1 unknown", "OPTIONS Timeout=abc bad",
                                         "OPTIONS AskExecute=yes bad",      "OPTIONS CopyModifiedFilesMinute=30m bad"};
    EXPECT_EQ(found, expected);
}
