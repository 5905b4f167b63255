#include <gtest/gtest.h>

#include <string>

#include "settings/settings_file_core.h"

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

TEST(SettingsKeys, OrderDefaultsAndControls)
{
    // The order of reads and writes, and the two keys whose absence reads as 1.
    const char* order[] = {"CopySource", "CopySubFolders", "CopyTarget", "CopyOverwrite", "Program",
                           "Parameters", "WorkingDir", "Unhide", "Show", "AskExecute", "Term",
                           "CopyAfterExecute", "AskCopy", "Timeout", "CopyBeforeExecute", "AskCopyBefore",
                           "CopyModifiedFiles", "CopyModifiedFilesHour", "CopyModifiedFilesMinute"};
    for (int32_t i = 0; i < SettingsKeyCount; ++i) {
        EXPECT_STREQ(SettingsKeys[i].Name, order[i]);
        bool defaultOne = i == 1 || i == 3;
        EXPECT_EQ(SettingsKeys[i].ReadDefault, defaultOne ? 1 : 0) << order[i];
        EXPECT_EQ(ControlIdOf(SettingsKeys[i], 1), SettingsKeys[i].ControlId + 40);
    }
    TaskSettings task{};
    NumberField(task, SettingsKeys[13]) = 30;
    EXPECT_EQ(task.Timeout, 30);
    TextField(task, SettingsKeys[6])[0] = 'w';
    EXPECT_EQ(task.WorkingDir[0], 'w');
}
