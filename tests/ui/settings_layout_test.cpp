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

// A path in letters of two and three bytes of UTF-8 is cut between letters, never inside one.
TEST(SettingsCaption, ALongPathInAnyAlphabetIsCutBetweenLetters)
{
    auto wholeLetters = [](const std::string& text) {
        for (size_t i = 0; i < text.size();) {
            unsigned char lead = static_cast<unsigned char>(text[i]);
            size_t size = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
            if (size == 0 || i + size > text.size()) return false;
            for (size_t k = 1; k < size; ++k)
                if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
            i += size;
        }
        return true;
    };
    for (const std::string letter : {"\xCE\xA9", "\xE6\x97\xA5"}) {  // Omega, the Japanese for "day"
        for (size_t count : {101u, 102u, 103u, 150u}) {
            std::string folder;
            for (size_t i = 0; i < count; ++i) folder += letter;
            std::string path = "C:\\" + folder + "\\Stowlet.ini";
            char caption[260];
            EXPECT_FALSE(ComposeSettingsCaption("Stowlet Launcher", true, "1.2025.04.23", path.c_str(), caption,
                                                sizeof caption));
            std::string text = caption;
            SCOPED_TRACE(testing::Message() << letter.size() << "-byte letters, " << count);
            EXPECT_TRUE(wholeLetters(text));
            EXPECT_GE(text.size(), sizeof caption - 1 - 2 * (letter.size() - 1));  // no more cut than needed
            EXPECT_EQ(text.find("Stowlet Launcher - Version: 1.2025.04.23 [C:\\"), 0u);
            EXPECT_EQ(text.rfind("Stowlet.ini]"), text.size() - 12);
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
