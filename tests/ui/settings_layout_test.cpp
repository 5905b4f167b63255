#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/text.h"
#include "ui/macro_menu_core.h"
#include "ui/settings_layout.h"

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
            bool whole = ComposeSettingsCaption("Stowlet Launcher", true, "1.2025.04.23", path.c_str(), caption.data(),
                                                capacity);
            SCOPED_TRACE(testing::Message() << "path " << pathLength << ", capacity " << capacity);
            for (size_t i = capacity; i < caption.size(); ++i) ASSERT_EQ(caption[i], '#');  // nothing beyond
            std::string text(caption.data());
            EXPECT_LT(text.size(), capacity);
            EXPECT_EQ(whole, text == prefix + path + "]");
            if (whole) continue;
            EXPECT_NE(text.find("..."), std::string::npos);  // the cut shows
            if (capacity >= 64) {
                EXPECT_EQ(text.size(), capacity - 1);                     // shortened only as much as needed
                EXPECT_EQ(text.rfind("Stowlet.ini]"), text.size() - 12);  // the file name stays
                EXPECT_EQ(text.find(prefix + "C:\\"), 0u);                // and so does the drive
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
    const Case cases[] = {
        {200, "%COMPUTERNAME%"}, {202, "%DAY%"}, {203, nullptr},       {205, nullptr},     {206, "%GITBRANCHNAME%"},
        {217, "%SECOND%"},       {218, nullptr}, {219, "%SYSTEMDIR%"}, {221, "%TEMPDIR%"}, {226, "%YEAR%"},
        {227, nullptr},          {0, nullptr},   {199, nullptr}};
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

// The window hands out only the first 80 characters of a tip; the escapes further on are checked here.
TEST(SettingsLayout, LongToolTipTextsAreExact)
{
    auto textOf = [](int id) -> std::string {
        for (const ToolTip& tip : ToolTips)
            if (tip.id == id) return tip.text;
        return "";
    };
    EXPECT_EQ(textOf(43),
              "Press CTRL+SPACEBAR to PopUp Paste-In-Macros menu.\nUse semicolon \";\" for multiple wildcard, "
              "example:\nC:\\Documents\\*.doc;*.xls;*.pp?");
    std::string unhide = textOf(60);
    EXPECT_EQ(unhide.find("Unhide and bring window to top if the 'Execute' application is running,\nUpdate"), 0u);
    auto endsWith = [](const std::string& text, const std::string& end) {
        return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
    };
    EXPECT_TRUE(endsWith(unhide, "from file 'Working Directory'\\.git\\HEAD or 'Execute' dir \\.git\\HEAD"));
    EXPECT_EQ(textOf(61).substr(0, 46), "Do NOT HIDE the window of the 'Execute' applic");
    EXPECT_NE(textOf(21).find(".\nIf an instance of the 'Execute' application is already running then only"),
              std::string::npos);
    EXPECT_TRUE(endsWith(textOf(82), "multiple environment for developing or whatever"));
}
