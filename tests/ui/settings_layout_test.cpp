#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "common/text.h"
#include "ui/macro_menu_core.h"
#include "ui/settings_layout.h"

TEST(SettingsLayout, SpinRangesInTheOrderTheyAreSet)
{
    const std::vector<std::pair<int, int>> expected = {{31, 32767}, {36, 59}, {40, 32767},
                                                       {71, 8760},  {76, 59}, {80, 32767}};
    std::vector<std::pair<int, int>> actual;
    for (const SpinRange& range : SpinRanges) actual.emplace_back(range.spinId, range.upper);
    EXPECT_EQ(actual, expected);
}

TEST(SettingsLayout, ToolTipsInTheirOrderWithSharedTexts)
{
    const std::vector<int> order = {3,  43, 5,  45, 7,  47, 9,  49, 11, 51, 14, 54, 17, 57, 20, 60, 21,
                                    61, 25, 65, 24, 64, 26, 66, 27, 67, 39, 79, 22, 62, 23, 63, 82, 83};
    std::vector<int> ids;
    for (const ToolTip& tip : ToolTips) ids.push_back(tip.id);
    EXPECT_EQ(ids, order);

    auto textOf = [](int id) -> std::string {
        for (const ToolTip& tip : ToolTips)
            if (tip.id == id) return tip.text;
        return "";
    };
    // Both groups show the same text; the four plain path fields and the two ask boxes share one.
    for (int id : {3, 5, 7, 9, 11, 14, 17, 20, 21, 22, 23, 24, 25, 26, 27, 39}) EXPECT_EQ(textOf(id), textOf(id + 40));
    for (int id : {11, 14, 17}) EXPECT_EQ(textOf(id), textOf(7));
    EXPECT_EQ(textOf(23), textOf(27));

    EXPECT_EQ(textOf(7), "Press CTRL+SPACEBAR to PopUp Paste-In-Macros menu");
    EXPECT_EQ(textOf(3),
              "Press CTRL+SPACEBAR to PopUp Paste-In-Macros menu.\nUse semicolon \";\" for multiple wildcard, "
              "example:\nC:\\Documents\\*.doc;*.xls;*.pp?");
    EXPECT_EQ(textOf(24), "Terminate the 'Execute' instances if running (Ignored if Unhide/Show is Checked)");
    EXPECT_EQ(textOf(83), "Press CTRL key when execute Stowlet to show this window setting");
    std::string unhide = textOf(20);
    EXPECT_EQ(unhide.find("Unhide and bring window to top if the 'Execute' application is running,\nUpdate"), 0u);
    EXPECT_NE(unhide.find("'Working Directory'\\.git\\HEAD or 'Execute' dir \\.git\\HEAD"), std::string::npos);
}

TEST(SettingsLayout, TheTenMacroFieldsAreThePathAndParameterEdits)
{
    std::vector<int> ids(MacroFieldIds, MacroFieldIds + MacroFieldCount);
    EXPECT_EQ(ids, (std::vector<int>{3, 7, 11, 14, 17, 43, 47, 51, 54, 57}));
    for (int id : ids) {
        bool found = false;
        for (const DialogControl& c : SettingsControls)
            if (c.id == id) found = c.classAtom == ClassEdit && !(c.style & 0x2000);  // an edit, not ES_NUMBER
        EXPECT_TRUE(found) << id;
    }
}

TEST(SettingsLayout, TheModifiedFilesRowsLeaveSpinsAndTimeOutAlone)
{
    std::set<int> ids(ModifiedRowIds, ModifiedRowIds + ModifiedRowCount);
    EXPECT_EQ(ids, (std::set<int>{29, 30, 32, 34, 35, 37}));
}

TEST(SettingsCaption, ShowsVersionAndPathOrStaysPlain)
{
    char caption[260];
    EXPECT_TRUE(ComposeSettingsCaption("Stowlet Launcher", true, "1.2025.04.23", "C:\\Tools\\Stowlet.ini", caption,
                                       sizeof caption));
    EXPECT_STREQ(caption, "Stowlet Launcher - Version: 1.2025.04.23 [C:\\Tools\\Stowlet.ini]");
    EXPECT_TRUE(ComposeSettingsCaption("Stowlet Launcher", true, "", "C:\\S.ini", caption, sizeof caption));
    EXPECT_STREQ(caption, "Stowlet Launcher - Version:  [C:\\S.ini]");
    EXPECT_TRUE(ComposeSettingsCaption("Stowlet Launcher", false, "", "C:\\S.ini", caption, sizeof caption));
    EXPECT_STREQ(caption, "Stowlet Launcher");
}

TEST(SettingsCaption, ALongPathIsShortenedVisiblyAndNeverOverflows)
{
    const std::string prefix = "Stowlet Launcher - Version: 1.2025.04.23 [";
    for (size_t pathLength : {200u, 217u, 218u, 219u, 300u, 4095u}) {
        std::string path = "C:\\" + std::string(pathLength - 15, 'd') + "\\Stowlet.ini";
        path.resize(pathLength - 11, 'd');
        path += "Stowlet.ini";
        ASSERT_EQ(path.size(), pathLength);
        for (size_t capacity : {260u, 64u, 50u, 46u}) {
            std::vector<char> caption(capacity + 8, '#');
            bool whole = ComposeSettingsCaption("Stowlet Launcher", true, "1.2025.04.23", path.c_str(),
                                                caption.data(), capacity);
            SCOPED_TRACE(testing::Message() << "path " << pathLength << ", capacity " << capacity);
            for (size_t i = capacity; i < caption.size(); ++i) ASSERT_EQ(caption[i], '#');  // nothing beyond
            std::string text(caption.data());
            EXPECT_LT(text.size(), capacity);
            EXPECT_EQ(whole, text == prefix + path + "]");
            if (whole) continue;
            EXPECT_NE(text.find("..."), std::string::npos);  // the cut shows
            if (capacity >= 64) {
                EXPECT_EQ(text.size(), capacity - 1);  // shortened only as much as needed
                EXPECT_EQ(text.rfind("Stowlet.ini]"), text.size() - 12);  // the file name stays
                EXPECT_EQ(text.find(prefix + "C:\\"), 0u);                 // and so does the drive
            }
        }
    }
}

TEST(MacroMenuItems, TwentyThreeNamesInOrderWithTheirCommands)
{
    std::vector<std::string> names;
    for (const MacroMenuItem& item : MacroMenuItems) names.push_back(item.name);
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(names, sorted);
    EXPECT_EQ(names.size(), 23u);
    struct Case {
        uint32_t command;
        const char* name;  // nullptr: not a menu command
    };
    const Case cases[] = {{200, "%COMPUTERNAME%"}, {202, "%DAY%"},   {203, nullptr},         {205, nullptr},
                          {206, "%GITBRANCHNAME%"}, {217, "%SECOND%"}, {218, nullptr},        {219, "%SYSTEMDIR%"},
                          {221, "%TEMPDIR%"},       {226, "%YEAR%"},   {227, nullptr},        {0, nullptr},
                          {199, nullptr}};
    for (const Case& c : cases) {
        const char* name = MacroNameOf(c.command);
        if (c.name) {
            ASSERT_NE(name, nullptr) << c.command;
            EXPECT_STREQ(name, c.name);
        } else {
            EXPECT_EQ(name, nullptr) << c.command;
        }
    }
}

TEST(SpliceText, ReplacesExactlyTheSelection)
{
    struct Case {
        const char* text;
        size_t start, end;
        const char* expected;
    };
    const Case cases[] = {
        {"", 0, 0, "%TEMPDIR%"},
        {"C:\\Work\\file.txt", 0, 7, "%TEMPDIR%\\file.txt"},  // the folder part, without its backslash
        {"C:\\Work\\file.txt", 16, 16, "C:\\Work\\file.txt%TEMPDIR%"},
        {"C:\\Work\\file.txt", 3, 3, "C:\\%TEMPDIR%Work\\file.txt"},
        {"abc", 0, 3, "%TEMPDIR%"},
    };
    for (const Case& c : cases) {
        char output[64];
        EXPECT_TRUE(SpliceText(c.text, c.start, c.end, "%TEMPDIR%", output, sizeof output)) << c.text;
        EXPECT_STREQ(output, c.expected);
    }
}

TEST(SpliceText, LongTextsAreKeptWholeOrNotTouched)
{
    const size_t capacity = 4096;
    std::vector<char> output(capacity);
    const std::string name = "%PROGRAMFILES%";  // 14 characters
    // 4000 characters: far beyond 259, still room for the name.
    std::string text = "C:\\" + std::string(3989, 'p') + "\\a\\b.exe";
    ASSERT_EQ(text.size(), 4000u);
    ASSERT_TRUE(SpliceText(text.c_str(), 1000, 2000, name.c_str(), output.data(), capacity));
    EXPECT_EQ(std::string(output.data()), text.substr(0, 1000) + name + text.substr(2000));
    // The result exactly fills a task field (4095 characters), then one character too many.
    std::string full(4095 - name.size(), 'x');
    ASSERT_TRUE(SpliceText(full.c_str(), 5, 5, name.c_str(), output.data(), capacity));
    EXPECT_EQ(std::string(output.data()).size(), 4095u);
    full += 'y';
    EXPECT_FALSE(SpliceText(full.c_str(), 5, 5, name.c_str(), output.data(), capacity));
    EXPECT_STREQ(output.data(), "");
    // Replacing a selection frees room: 4095 characters with 20 selected take the name.
    std::string longest(4095, 'z');
    ASSERT_TRUE(SpliceText(longest.c_str(), 100, 120, name.c_str(), output.data(), capacity));
    EXPECT_EQ(std::string(output.data()).size(), 4095u - 20 + 14);
}

TEST(SpliceText, RejectsASelectionOutsideTheText)
{
    char output[32];
    EXPECT_FALSE(SpliceText("abc", 2, 1, "%DAY%", output, sizeof output));
    EXPECT_FALSE(SpliceText("abc", 2, 4, "%DAY%", output, sizeof output));
    EXPECT_FALSE(SpliceText("abc", 0, 0, "%DAY%", output, 0));
}
