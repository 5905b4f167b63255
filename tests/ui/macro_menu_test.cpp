// CTRL+SPACE in the settings window's path fields: the macro menu and the inserted names.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/boxes.h"
#include "support/support.h"
#include "test_ini.h"
#include "ui/macro_menu.h"
#include "ui/settings_dialog.h"
#include "window_session.h"

namespace {

class MacroMenuTest : public testing::Test {
protected:
    static void SetUpTestSuite() { TestStartup(); }
    void SetUp() override { UseSettingsFile(folder, "[PREVIOUS]\r\nCopyModifiedFiles=1\r\n"); }

    // Answers the open macro menu: the item at 1-based position, or Esc for 0. The menu's screen
    // rectangle goes to *where. False when no menu came up.
    bool AnswerMenu(WindowSession& session, int position, RECT* where = nullptr)
    {
        HWND menu = WaitForTopWindow("#32768", "", 5000);
        if (!menu) return false;
        if (where) GetWindowRect(menu, where);
        // The menu's loop takes every keyboard message of the window's thread. It chooses an
        // item on the Enter character; Wine does not translate a posted Enter key into one, so
        // the character is posted itself.
        for (int i = 0; i < position; ++i) PostMessageA(session.Window(), WM_KEYDOWN, VK_DOWN, 0x01500001);
        if (position)
            PostMessageA(session.Window(), WM_CHAR, '\r', 0x001C0001);
        else
            PostMessageA(session.Window(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        return WaitGone(menu, 5000) && session.Settle();
    }

    static void Select(WindowSession& session, int id, int start, int end)
    {
        SendMessageA(session.Item(id), EM_SETSEL, start, end);
    }
    static std::pair<int, int> Selection(WindowSession& session, int id)
    {
        DWORD start = 0, end = 0;
        SendMessageA(session.Item(id), EM_GETSEL, WPARAM(&start), LPARAM(&end));
        return {int(start), int(end)};
    }

    TempFolder folder;
};

constexpr int ProgramFilesItem = 13;  // positions in the menu
constexpr int TempDirItem = 18;
constexpr int DateItem = 2;

}  // namespace

TEST_F(MacroMenuTest, TheMenuHoldsTheTwentyThreeNames)
{
    WindowSession session;
    ASSERT_TRUE(session.Window());
    const MacroMenuState& state = SettingsWindowStateOf(session.Window())->Menu;
    ASSERT_EQ(GetMenuItemCount(state.Menu.Get()), 23);
    std::vector<std::pair<UINT, std::string>> items;
    for (int i = 0; i < 23; ++i) {
        char text[64] = "";
        GetMenuStringA(state.Menu.Get(), UINT(i), text, sizeof text, MF_BYPOSITION);
        items.push_back({GetMenuItemID(state.Menu.Get(), i), text});
    }
    EXPECT_EQ(items.front(), (std::pair<UINT, std::string>{200, "%COMPUTERNAME%"}));
    EXPECT_EQ(items[ProgramFilesItem - 1], (std::pair<UINT, std::string>{215, "%PROGRAMFILES%"}));
    EXPECT_EQ(items[TempDirItem - 1], (std::pair<UINT, std::string>{221, "%TEMPDIR%"}));
    EXPECT_EQ(items.back(), (std::pair<UINT, std::string>{226, "%YEAR%"}));
    // The ten path fields carry it, each with its previous procedure kept.
    for (const EditSubclass& entry : state.SubclassTable) {
        EXPECT_TRUE(IsWindow(entry.field));
        EXPECT_TRUE(entry.previous);
        EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(entry.field, GWLP_WNDPROC)), MacroEditProc);
    }
}

TEST_F(MacroMenuTest, CtrlSpaceInAnEmptyFieldPutsTheNameWithTheCaretAtItsEnd)
{
    WindowSession session;
    ASSERT_TRUE(session.Window());
    session.TypeSpace(51, true);
    ASSERT_TRUE(AnswerMenu(session, ProgramFilesItem));
    EXPECT_EQ(session.Text(51), "%PROGRAMFILES%");
    EXPECT_EQ(Selection(session, 51), std::make_pair(14, 14));
    EXPECT_EQ(SettingsWindowStateOf(session.Window())->Menu.Field, session.Item(51));
}

TEST_F(MacroMenuTest, TheMenuOpensBelowTheFieldAtTheCaret)
{
    WindowSession session;
    ASSERT_TRUE(session.Window());
    SetWindowTextA(session.Item(11), "C:\\Tools\\app.exe");
    Select(session, 11, 9, 9);
    // Where the caret stands for position 9, read from the field itself: asking for the caret
    // while the menu runs its own loop races with the menu under load.
    LRESULT at = SendMessageA(session.Item(11), EM_POSFROMCHAR, 9, 0);
    POINT caret = {short(LOWORD(at)), short(HIWORD(at))};
    session.TypeSpace(11, true);
    HWND menu = WaitForTopWindow("#32768", "", 5000);
    ASSERT_TRUE(menu);
    RECT field, where;
    GetWindowRect(session.Item(11), &field);
    ASSERT_TRUE(AnswerMenu(session, 0, &where));
    EXPECT_GT(caret.x, 0);
    EXPECT_EQ(where.left, field.left + caret.x);
    EXPECT_EQ(where.top, field.bottom + caret.y);
}

TEST_F(MacroMenuTest, TheNameReplacesExactlyTheSelectedPartOfAPath)
{
    WindowSession session;
    ASSERT_TRUE(session.Window());
    SetWindowTextA(session.Item(14), "C:\\Work\\Data\\file.txt");
    Select(session, 14, 0, 12);  // the folder part, up to the last backslash
    session.TypeSpace(14, true);
    ASSERT_TRUE(AnswerMenu(session, TempDirItem));
    EXPECT_EQ(session.Text(14), "%TEMPDIR%\\file.txt");
    EXPECT_EQ(Selection(session, 14), std::make_pair(9, 9));
}

TEST_F(MacroMenuTest, ADismissedMenuChangesNothingAndTypesNoBlank)
{
    WindowSession session;
    ASSERT_TRUE(session.Window());
    SetWindowTextA(session.Item(47), "D:\\Target");
    Select(session, 47, 3, 3);
    session.TypeSpace(47, true);
    ASSERT_TRUE(AnswerMenu(session, 0));
    EXPECT_EQ(session.Text(47), "D:\\Target");
    EXPECT_EQ(Selection(session, 47), std::make_pair(3, 3));
}

TEST_F(MacroMenuTest, SpaceAloneTypesABlankAndNumberFieldsHaveNoMenu)
{
    WindowSession session;
    ASSERT_TRUE(session.Window());
    SetWindowTextA(session.Item(7), "ab");
    Select(session, 7, 2, 2);
    session.TypeSpace(7, false);
    ASSERT_TRUE(session.Settle(3000));
    EXPECT_EQ(session.Text(7), "ab ");

    SetWindowTextA(session.Item(39), "30");
    session.TypeSpace(39, true);
    // With a menu open the queue would not come round: a settled queue means no menu opened.
    bool settled = session.Settle(3000);
    if (!settled) AnswerMenu(session, 0);
    EXPECT_TRUE(settled);
    EXPECT_EQ(session.Text(39), "30");
}

TEST_F(MacroMenuTest, ALongPathKeepsEveryCharacter)
{
    WindowSession session;
    ASSERT_TRUE(session.Window());
    std::string path = "C:\\" + std::string(3989, 'p') + "\\a\\b.exe";
    ASSERT_EQ(path.size(), 4000u);
    SetWindowTextA(session.Item(17), path.c_str());
    Select(session, 17, 2000, 2000);
    session.TypeSpace(17, true);
    ASSERT_TRUE(AnswerMenu(session, DateItem));
    EXPECT_EQ(session.Text(17), path.substr(0, 2000) + "%DATE%" + path.substr(2000));
    EXPECT_EQ(Selection(session, 17), std::make_pair(2006, 2006));
}

TEST_F(MacroMenuTest, ANameThatWouldNotFitATaskFieldIsRefusedNotCut)
{
    WindowSession session;
    ASSERT_TRUE(session.Window());
    HWND field = session.Item(54);
    struct Case {
        size_t length;
        int start, end;
        bool inserted;
    };
    const Case cases[] = {
        {4095 - 9, 10, 10, true},   // exactly fills 4095 characters with "%TEMPDIR%"
        {4095 - 8, 10, 10, false},  // one character too many
        {4095, 100, 120, true},     // a replaced selection makes room
        {5000, 0, 0, false},        // the field holds more than a task field: left alone
    };
    for (const Case& c : cases) {
        std::string text(c.length, 'x');
        SetWindowTextA(field, text.c_str());
        Select(session, 54, c.start, c.end);
        ASSERT_TRUE(session.OnUi([&] { InsertMacro(221, field); }));
        std::string expected =
            c.inserted ? text.substr(0, size_t(c.start)) + "%TEMPDIR%" + text.substr(size_t(c.end)) : text;
        EXPECT_EQ(session.Text(54), expected) << c.length;
        if (!c.inserted) {
            EXPECT_EQ(Selection(session, 54), std::make_pair(c.start, c.end)) << c.length;
        }
    }
    // A command that is no menu item does nothing.
    SetWindowTextA(field, "keep");
    ASSERT_TRUE(session.OnUi([&] { InsertMacro(218, field); }));
    EXPECT_EQ(session.Text(54), "keep");
}
