// The real settings window, opened in this test program under Wine and driven from the test
// thread.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <optional>

#include "common/text.h"
#include "launcher/startup.h"
#include "support/boxes.h"
#include "support/support.h"
#include "test_ini.h"
#include "ui/settings_dialog.h"
#include "window_session.h"

namespace {

class SettingsWindowTest : public testing::Test {
protected:
    static void SetUpTestSuite() { TestStartup(); }

    TempFolder folder;
};

// Both groups with their rows enabled, so that every tab stop is reachable.
const char AllEnabledIni[] = "[PREVIOUS]\r\nCopyModifiedFiles=1\r\n[OPTIONS]\r\nCopyModifiedFiles=1\r\n";

struct Expected {
    const char* windowClass;
    uint32_t style;
};

// Creation order of the 83 controls with the class and style each one is made with.
std::vector<std::pair<int, Expected>> ExpectedControls()
{
    const Expected group{"Button", 0x50000007}, label{"Static", 0x50000000}, edit{"Edit", 0x50810080},
        editWide{"Edit", 0x50818080}, number{"Edit", 0x5081A000}, push{"Button", 0x50018000},
        check{"Button", 0x50018003}, toggle{"Button", 0x50019003}, spin{"msctls_updown32", 0x500000B6};
    const std::vector<std::pair<int, Expected>> previous = {
        {1, group},  {2, label},   {3, edit},      {4, push},      {5, toggle}, {6, label},   {7, edit},
        {8, push},   {9, toggle},  {10, label},    {11, editWide}, {12, push},  {13, label},  {14, editWide},
        {15, push},  {16, label},  {17, editWide}, {18, push},     {19, label}, {20, check},  {21, check},
        {22, check}, {23, check},  {24, check},    {25, check},    {26, check}, {27, check},  {28, check},
        {29, label}, {30, number}, {31, spin},     {32, label},    {34, label}, {35, number}, {36, spin},
        {37, label}, {38, label},  {39, number},   {40, spin},     {33, label}};
    std::vector<std::pair<int, Expected>> all = previous;
    for (auto [id, expected] : previous) all.push_back({id + 40, expected});
    all.push_back({81, push});
    all.push_back({82, push});
    all.push_back({83, {"Button", 0x50018001}});
    return all;
}

// Clicks Save, answers the one box it shows with OK, and waits until the window has gone on past
// the box; the box, or nothing when none came or the window did not go on.
std::optional<BoxSeen> SaveThroughOneBox(WindowSession& session)
{
    BoxWatcher boxes(GetCurrentProcessId(), {IDOK}, false);
    session.Click(82);
    const bool shown = boxes.WaitFor(1, 0, 10000);
    const bool settled = session.SettleAfterBoxes();
    boxes.Stop();
    if (!shown || !settled) return std::nullopt;
    return boxes.Boxes()[0];
}

}  // namespace

TEST_F(SettingsWindowTest, OpensWithTheEightyThreeControlsOfTheTemplate)
{
    std::string ini = UseSettingsFile(folder, AllEnabledIni);
    WindowSession session;
    HWND window = session.Window();
    ASSERT_TRUE(window);

    std::vector<HWND> children = ChildrenOf(window);
    auto expected = ExpectedControls();
    ASSERT_EQ(children.size(), expected.size());
    for (size_t i = 0; i < children.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "creation order " << i + 1);
        EXPECT_EQ(GetDlgCtrlID(children[i]), expected[i].first);
        EXPECT_STREQ(ClassOf(children[i]).c_str(), expected[i].second.windowClass);
        uint32_t style = uint32_t(GetWindowLongPtrA(children[i], GWL_STYLE));
        uint32_t exStyle = uint32_t(GetWindowLongPtrA(children[i], GWL_EXSTYLE));
        uint32_t want = expected[i].second.style;
        if (ClassOf(children[i]) == "Edit") {
            // The dialog manager draws a bordered edit with the sunken client edge instead.
            EXPECT_EQ(style, want & ~WS_BORDER) << std::hex << style;
            EXPECT_TRUE(exStyle & WS_EX_CLIENTEDGE);
        } else if (i >= 80) {
            // The skin makes the three bottom buttons owner-drawn and keeps the rest.
            EXPECT_EQ(style & ~BS_TYPEMASK, want & ~BS_TYPEMASK) << std::hex << style;
            EXPECT_EQ(style & BS_TYPEMASK, uint32_t(BS_OWNERDRAW));
        } else {
            EXPECT_EQ(style, want) << std::hex << style;
        }
    }
    // Each spin control took the number field before it as its buddy.
    for (int spin : {31, 36, 40, 71, 76, 80})
        EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(session.Item(spin), UDM_GETBUDDY, 0, 0)), session.Item(spin - 1));
}

TEST_F(SettingsWindowTest, CaptionIconDefaultButtonAndCentredPlace)
{
    std::string ini = UseSettingsFile(folder, AllEnabledIni);
    WindowSession session;
    HWND window = session.Window();
    ASSERT_TRUE(window);
    EXPECT_EQ(WindowText(window), "Stowlet Launcher - Version: 1.2025.04.23 [" + ini + "]");
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_BIG, 0)), TestStartup().AppIcon);
    EXPECT_TRUE(TestStartup().AppIcon);
    LRESULT defaultId = SendMessageA(window, DM_GETDEFID, 0, 0);
    EXPECT_EQ(HIWORD(defaultId), DC_HASDEFID);
    EXPECT_EQ(LOWORD(defaultId), 83);
    RECT rect;
    GetWindowRect(window, &rect);
    int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR((rect.left + rect.right) / 2, screenWidth / 2, 2);
    EXPECT_NEAR((rect.top + rect.bottom) / 2, screenHeight / 2, 40);  // the work area leaves out the task bar
}

TEST_F(SettingsWindowTest, ALongSettingsPathIsShortenedInTheCaption)
{
    std::string longPath = folder.Path() + "\\" + std::string(300, 'n') + "\\Stowlet.ini";
    ASSERT_TRUE(TextCopy(TestStartup().SettingsFilePath, longPath.c_str()));
    WindowSession session;
    ASSERT_TRUE(session.Window());
    std::string caption = WindowText(session.Window());
    EXPECT_EQ(caption.size(), 259u);
    EXPECT_EQ(caption.find("Stowlet Launcher - Version: 1.2025.04.23 [" + folder.Path().substr(0, 3)), 0u);
    EXPECT_NE(caption.find("..."), std::string::npos);
    EXPECT_EQ(caption.substr(caption.size() - 12), "Stowlet.ini]");
}

TEST_F(SettingsWindowTest, TabOrderRunsThroughBothGroupsThenTheButtons)
{
    UseSettingsFile(folder, AllEnabledIni);
    WindowSession session;
    HWND window = session.Window();
    ASSERT_TRUE(window);
    std::vector<int> expected;
    for (int base : {0, 40})
        for (int id : {3, 4, 5, 7, 8, 9, 11, 12, 14, 15, 17, 18, 20, 21, 22, 23, 24, 25, 26, 27, 28, 30, 35, 39})
            expected.push_back(base + id);
    for (int id : {81, 82, 83}) expected.push_back(id);

    std::vector<int> order;
    HWND first = GetNextDlgTabItem(window, nullptr, FALSE);
    for (HWND item = first; item && order.size() <= expected.size();) {
        order.push_back(GetDlgCtrlID(item));
        item = GetNextDlgTabItem(window, item, FALSE);
        if (item == first) break;
    }
    EXPECT_EQ(order, expected);
}

TEST_F(SettingsWindowTest, SpinRangesStopAtTheirBounds)
{
    UseSettingsFile(folder, AllEnabledIni);
    WindowSession session;
    ASSERT_TRUE(session.Window());
    const std::map<int, int> upper = {{31, 32767}, {36, 59}, {40, 32767}, {71, 8760}, {76, 59}, {80, 32767}};
    for (auto [spin, bound] : upper) {
        int low = -1, high = -1;
        SendMessageA(session.Item(spin), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                     reinterpret_cast<LPARAM>(&high));
        EXPECT_EQ(low, 0) << spin;
        EXPECT_EQ(high, bound) << spin;
        // The up arrow key in the field climbs to the bound and stops there; the field shows a
        // plain number without separators.
        HWND field = session.Item(spin - 1);
        ASSERT_TRUE(session.OnUi([&] {
            SendMessageA(session.Item(spin), UDM_SETPOS32, 0, bound - 1);
            SendMessageA(field, WM_KEYDOWN, VK_UP, 0);
            SendMessageA(field, WM_KEYUP, VK_UP, 0);
        }));
        EXPECT_EQ(session.Text(spin - 1), std::to_string(bound)) << spin;
        ASSERT_TRUE(session.OnUi([&] {
            SendMessageA(field, WM_KEYDOWN, VK_UP, 0);
            SendMessageA(field, WM_KEYUP, VK_UP, 0);
        }));
        EXPECT_EQ(session.Text(spin - 1), std::to_string(bound)) << spin;
    }
}

TEST_F(SettingsWindowTest, ThirtyFourBalloonTipsInTheirOrder)
{
    UseSettingsFile(folder, AllEnabledIni);
    WindowSession session;
    ASSERT_TRUE(session.Window());
    HWND tip = SettingsWindowStateOf(session.Window())->Tooltip;
    ASSERT_TRUE(tip);
    EXPECT_EQ(GetWindow(tip, GW_OWNER), session.Window());
    EXPECT_EQ(uint32_t(GetWindowLongPtrA(tip, GWL_STYLE)) & 0x80000043u, 0x80000043u);
    EXPECT_TRUE(GetWindowLongPtrA(tip, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(SendMessageA(tip, TTM_GETMAXTIPWIDTH, 0, 0), 300);
    ASSERT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 34);

    std::vector<int> ids;
    std::map<int, std::string> texts;
    for (int i = 0; i < 34; ++i) {
        char text[1024] = "";
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.lpszText = text;
        ASSERT_TRUE(SendMessageA(tip, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&tool)));
        EXPECT_EQ(tool.uFlags & (TTF_IDISHWND | TTF_SUBCLASS), UINT(TTF_IDISHWND | TTF_SUBCLASS));
        EXPECT_EQ(tool.hwnd, session.Window());
        int id = GetDlgCtrlID(reinterpret_cast<HWND>(tool.uId));
        ids.push_back(id);
        texts[id] = text;
    }
    EXPECT_EQ(ids, (std::vector<int>{3,  43, 5,  45, 7,  47, 9,  49, 11, 51, 14, 54, 17, 57, 20, 60, 21,
                                     61, 25, 65, 24, 64, 26, 66, 27, 67, 39, 79, 22, 62, 23, 63, 82, 83}));
    // The control hands out only the first 80 or so characters of a tool's text.
    auto shown = [](const std::string& got, const std::string& full) {
        return got.size() >= 79 && full.compare(0, got.size(), got) == 0;
    };
    EXPECT_EQ(texts[45], "Process Subfolders");
    EXPECT_EQ(texts[49], "Overwrite if file exists");
    EXPECT_EQ(texts[57], "Press CTRL+SPACEBAR to PopUp Paste-In-Macros menu");
    EXPECT_EQ(texts[63], "Shows a Message asking to Copy the files from Source to Target");
    EXPECT_TRUE(shown(texts[79],
                      "Seconds to terminate the instance(TERM=1) or seconds to wait (Show=1) after "
                      "running the 'Execute' application"));
    EXPECT_TRUE(shown(texts[43],
                      "Press CTRL+SPACEBAR to PopUp Paste-In-Macros menu.\nUse semicolon \";\" for "
                      "multiple wildcard"));
}

TEST_F(SettingsWindowTest, TermFollowsUnhideAndShowAndKeepsItsCheck)
{
    UseSettingsFile(folder, "[PREVIOUS]\r\nUnhide=1\r\nTerm=1\r\n[OPTIONS]\r\nShow=TRUE\r\n");
    WindowSession session;
    ASSERT_TRUE(session.Window());
    EXPECT_FALSE(session.Enabled(24));
    EXPECT_TRUE(session.Checked(24));  // disabled, still checked
    EXPECT_FALSE(session.Enabled(64));

    struct Step {
        int toggle;
        bool previousTerm, mainTerm;
    };
    const Step steps[] = {
        {20, true, false},   // Unhide off: nothing hides the previous Term any more
        {61, true, true},    // Show off in the main group
        {21, false, true},   // Show on
        {60, false, false},  // Unhide on
        {21, true, false},
    };
    for (const Step& step : steps) {
        session.ToggleCheck(step.toggle);
        EXPECT_EQ(session.Enabled(24), step.previousTerm) << "after " << step.toggle;
        EXPECT_EQ(session.Enabled(64), step.mainTerm) << "after " << step.toggle;
    }
    EXPECT_TRUE(session.Checked(24));
}

TEST_F(SettingsWindowTest, ModifiedFilesRowsFollowTheirCheckBox)
{
    UseSettingsFile(folder, "[OPTIONS]\r\nCopyModifiedFiles=1\r\n");
    WindowSession session;
    ASSERT_TRUE(session.Window());
    const int rows[] = {29, 30, 32, 34, 35, 37};
    const int always[] = {31, 36, 38, 39, 40, 33};  // spin controls and the time-out row
    for (int id : rows) {
        EXPECT_FALSE(session.Enabled(id)) << id;
        EXPECT_TRUE(session.Enabled(id + 40)) << id + 40;
    }
    session.ToggleCheck(28);
    session.ToggleCheck(68);
    for (int id : rows) {
        EXPECT_TRUE(session.Enabled(id)) << id;
        EXPECT_FALSE(session.Enabled(id + 40)) << id + 40;
    }
    for (int id : always) {
        EXPECT_TRUE(session.Enabled(id)) << id;
        EXPECT_TRUE(session.Enabled(id + 40)) << id + 40;
    }
}

TEST_F(SettingsWindowTest, OnlyAPlainClickCounts)
{
    UseSettingsFile(folder, "");
    WindowSession session;
    ASSERT_TRUE(session.Window());
    // The box changes, but a notification other than BN_CLICKED must not move the rule.
    SendMessageA(session.Item(21), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(session.Window(), WM_COMMAND, MAKEWPARAM(21, BN_DOUBLECLICKED), LPARAM(session.Item(21)));
    SendMessageA(session.Window(), WM_COMMAND, MAKEWPARAM(21, BN_SETFOCUS), LPARAM(session.Item(21)));
    EXPECT_TRUE(session.Enabled(24));
    SendMessageA(session.Window(), WM_COMMAND, MAKEWPARAM(21, BN_CLICKED), LPARAM(session.Item(21)));
    EXPECT_FALSE(session.Enabled(24));
}

namespace {

const char RoundTripIni[] =
    "[PREVIOUS]\r\n"
    "CopySource=C:\\Data\\*.doc;*.xls;*.pp?\r\n"
    "CopySubFolders=0\r\n"
    "CopyTarget=D:\\Backup\\%DATE%\r\n"
    "Program=\"\"C:\\Program Files\\App\\app.exe\"\"\r\n"
    "Parameters=''-name 'x y'''\r\n"
    "WorkingDir=%TEMPDIR%\\work\r\n"
    "Unhide=1\r\n"
    "AskExecute=TRUE\r\n"
    "CopyAfterExecute=1\r\n"
    "Timeout=30\r\n"
    "CopyBeforeExecute=1\r\n"
    "AskCopyBefore=true\r\n"
    "CopyModifiedFiles=1\r\n"
    "CopyModifiedFilesHour=12\r\n"
    "CopyModifiedFilesMinute=45\r\n"
    "[OPTIONS]\r\n"
    "Program=notepad\r\n"
    "Show=TRUE\r\n"
    "Term=1\r\n"
    "AskCopy=1\r\n"
    "Timeout=5\r\n";

}  // namespace

TEST_F(SettingsWindowTest, LoadsBothGroupsIntoTheControlsAndSavesThemBack)
{
    std::string ini = UseSettingsFile(folder, RoundTripIni);
    {
        WindowSession session;
        ASSERT_TRUE(session.Window());
        const std::map<int, std::string> texts = {{3, "C:\\Data\\*.doc;*.xls;*.pp?"},
                                                  {7, "D:\\Backup\\%DATE%"},
                                                  {11, "\"C:\\Program Files\\App\\app.exe\""},
                                                  {14, "'-name 'x y''"},
                                                  {17, "%TEMPDIR%\\work"},
                                                  {30, "12"},
                                                  {35, "45"},
                                                  {39, "30"},
                                                  {43, ""},
                                                  {51, "notepad"},
                                                  {70, "0"},
                                                  {75, "0"},
                                                  {79, "5"}};
        for (auto [id, text] : texts) EXPECT_EQ(session.Text(id), text) << id;
        const std::map<int, bool> checks = {{5, false},  {9, true},   {20, true}, {21, false}, {22, true}, {23, true},
                                            {24, false}, {25, true},  {26, true}, {27, false}, {28, true}, {45, true},
                                            {49, true},  {60, false}, {61, true}, {64, true},  {67, true}, {68, false}};
        for (auto [id, checked] : checks) EXPECT_EQ(session.Checked(id), checked) << id;

        SetWindowTextA(session.Item(79), "77");
        SetWindowTextA(session.Item(43), "E:\\New Source");
        session.Click(82);
        ASSERT_TRUE(session.Settle());
        EXPECT_FALSE(session.Closed());  // "Save" keeps the window open
    }
    std::string saved = ReadWholeFile(ini);
    struct Row {
        const char *section, *key, *value;
    };
    const Row rows[] = {
        {"PREVIOUS", "CopySource", "C:\\Data\\*.doc;*.xls;*.pp?"},
        {"PREVIOUS", "CopySubFolders", "0"},
        {"PREVIOUS", "Program", "\"\"C:\\Program Files\\App\\app.exe\"\""},  // one more pair, reads back as typed
        {"PREVIOUS", "Parameters", "''-name 'x y'''"},
        {"PREVIOUS", "AskExecute", "1"},
        {"PREVIOUS", "AskCopyBefore", "1"},
        {"PREVIOUS", "CopyModifiedFilesHour", "12"},
        {"PREVIOUS", "Timeout", "30"},
        {"OPTIONS", "CopySource", "E:\\New Source"},
        {"OPTIONS", "CopySubFolders", "1"},
        {"OPTIONS", "Show", "5"},  // "TRUE", read as 5 and left alone, goes back as read
        {"OPTIONS", "Term", "1"},
        {"OPTIONS", "Timeout", "77"},
        {"OPTIONS", "CopyModifiedFilesMinute", "0"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(RawValue(saved, row.section, row.key), row.value) << row.section << " " << row.key;
}

TEST_F(SettingsWindowTest, EveryBoxClearedIsSavedAsZeroAndReadsBackCleared)
{
    std::string ini = UseSettingsFile(folder, "");
    const int boxes[] = {5, 9, 20, 21, 22, 23, 24, 25, 26, 27, 28};
    {
        WindowSession session;
        ASSERT_TRUE(session.Window());
        EXPECT_TRUE(session.Checked(5));  // absent: the default 1
        for (int id : boxes) {
            SendMessageA(session.Item(id), BM_SETCHECK, BST_UNCHECKED, 0);
            SendMessageA(session.Item(id + 40), BM_SETCHECK, BST_UNCHECKED, 0);
        }
        session.Click(82);
        ASSERT_TRUE(session.Settle());
    }
    std::string saved = ReadWholeFile(ini);
    for (const char* section : {"PREVIOUS", "OPTIONS"})
        for (const char* key :
             {"CopySubFolders", "CopyOverwrite", "Unhide", "Show", "AskExecute", "Term", "CopyAfterExecute", "AskCopy",
              "CopyBeforeExecute", "AskCopyBefore", "CopyModifiedFiles"})
            EXPECT_EQ(RawValue(saved, section, key), "0") << section << " " << key;
    WindowSession again;
    ASSERT_TRUE(again.Window());
    for (int id : boxes) {
        EXPECT_FALSE(again.Checked(id)) << id;
        EXPECT_FALSE(again.Checked(id + 40)) << id + 40;
    }
}

TEST_F(SettingsWindowTest, SaveOntoAFileThatCannotBeWrittenShowsTheErrorAndKeepsTheFile)
{
    std::string ini = UseSettingsFile(folder, RoundTripIni);
    WindowSession session;
    ASSERT_TRUE(session.Window());
    SetWindowTextA(session.Item(3), "changed");
    // Root may write read-only files under Wine: a file held open without sharing refuses.
    HANDLE held = CreateFileA(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::optional<BoxSeen> box = SaveThroughOneBox(session);
    CloseHandle(held);
    ASSERT_TRUE(box) << "no box, or the window did not go on past it";
    EXPECT_EQ(box->caption, "Error Saving Ini File");
    ASSERT_GT(box->text.size(), ini.size() + 1);
    EXPECT_EQ(box->text.substr(box->text.size() - ini.size() - 1), "\n" + ini);
    EXPECT_EQ(box->owner, nullptr);
    EXPECT_TRUE(box->exStyle & WS_EX_TOPMOST);  // system modal
    EXPECT_FALSE(session.Closed());
    EXPECT_EQ(session.Text(3), "changed");
    EXPECT_EQ(ReadWholeFile(ini), RoundTripIni);
}

TEST_F(SettingsWindowTest, EscapeKeepsTheWindowOpenAndNothingIsSavedOnClose)
{
    struct Way {
        const char* name;
        std::function<void(WindowSession&)> close;
    };
    const Way ways[] = {
        {"Close", [](WindowSession& s) { s.Click(83); }},
        {"close box", [](WindowSession& s) { PostMessageA(s.Window(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Enter on the default button",
         [](WindowSession& s) { PostMessageA(s.Item(3), WM_KEYDOWN, VK_RETURN, 0x001C0001); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        std::string ini = UseSettingsFile(folder, RoundTripIni);
        WindowSession session;
        ASSERT_TRUE(session.Window());
        SetWindowTextA(session.Item(11), "C:\\Other\\program.exe");
        session.ToggleCheck(61);
        PostMessageA(session.Item(3), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageA(session.Item(3), WM_KEYUP, VK_ESCAPE, 0xC0010001);
        ASSERT_TRUE(session.Settle());
        EXPECT_FALSE(session.Closed());
        way.close(session);
        EXPECT_TRUE(session.WaitClosed(5000));
        EXPECT_EQ(ReadWholeFile(ini), RoundTripIni);
    }
}

TEST_F(SettingsWindowTest, AboutOpensTheAboutBoxOverTheWindow)
{
    UseSettingsFile(folder, "");
    WindowSession session;
    ASSERT_TRUE(session.Window());
    session.Click(81);
    HWND about = nullptr;
    for (DWORD start = GetTickCount(); !about && GetTickCount() - start < 5000; Sleep(10))
        for (HWND window : TopWindows("#32770"))
            if (GetWindow(window, GW_OWNER) == session.Window()) about = window;
    ASSERT_TRUE(about);
    EXPECT_EQ(WindowText(about).find("About Stowlet"), 0u);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(about, WM_GETICON, ICON_BIG, 0)), TestStartup().AppIcon);
    PostMessageA(about, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitGone(about));
    ASSERT_TRUE(session.Settle());
    EXPECT_FALSE(session.Closed());
}

TEST_F(SettingsWindowTest, ATextTooLongToStoreIsReportedWithItsFieldAndNothingIsWritten)
{
    std::string ini = UseSettingsFile(folder, RoundTripIni);
    WindowSession session;
    ASSERT_TRUE(session.Window());
    std::string tooLong(5000, 'q');
    SetWindowTextA(session.Item(54), tooLong.c_str());
    SetWindowTextA(session.Item(3), "changed");
    std::optional<BoxSeen> box = SaveThroughOneBox(session);
    ASSERT_TRUE(box) << "no box, or the window did not go on past it";
    EXPECT_EQ(box->caption, "Error Saving Ini File");
    EXPECT_EQ(box->text.substr(box->text.size() - ini.size() - 1), "\n" + ini);
    // The field that could not be stored has the focus, its text whole and selected.
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(session.Window(), nullptr), &thread));
    EXPECT_EQ(thread.hwndFocus, session.Item(54));
    EXPECT_EQ(session.Text(54), tooLong);
    EXPECT_EQ(ReadWholeFile(ini), RoundTripIni);
}

// A settings file saved as today's editors save it: UTF-8 without a byte-order mark, with a
// comment and a section of its own. The window shows the Greek value, takes a Japanese one
// typed into another field, and Save keeps the file's form and everything else in it.
TEST_F(SettingsWindowTest, ShowsTypesAndSavesNamesInAnyAlphabet)
{
    const std::string greek = "C:\\Δεδομένα\\Ελληνικά";
    const std::wstring typed = L"D:\\日本語\\フォルダ";
    const std::string content = "; written by hand\r\n[PREVIOUS]\r\nCopySource=" + greek +
                                "\r\n[RUN]\r\nStep=ένα\r\n[OPTIONS]\r\nProgram=notepad\r\n";
    std::string ini = UseSettingsFile(folder, content);
    {
        WindowSession session;
        ASSERT_TRUE(session.Window());
        const TaskRecords& tasks = SettingsWindowStateOf(session.Window())->Tasks;
        EXPECT_STREQ(tasks.Previous.CopySource, greek.c_str());  // the record holds UTF-8
        EXPECT_EQ(session.Text(3), greek);                       // the field shows it, read wide
        HWND field = session.Item(47);
        // Typed letter by letter: the field and its macro menu's subclass take wide characters.
        ASSERT_TRUE(session.OnUi([&] {
            for (wchar_t letter : typed) SendMessageW(field, WM_CHAR, letter, 1);
        }));
        EXPECT_EQ(session.Text(47), Utf8Of(typed));
        session.Click(82);
        ASSERT_TRUE(session.Settle());
        EXPECT_STREQ(tasks.Main.CopyTarget, Utf8Of(typed).c_str());
    }
    std::string saved = ReadWholeFile(ini);
    EXPECT_NE(saved.compare(0, 3, "\xEF\xBB\xBF"), 0) << "no byte-order mark added";
    EXPECT_EQ(saved.find("; written by hand"), 0u);
    EXPECT_EQ(RawValue(saved, "RUN", "Step"), "ένα");
    EXPECT_EQ(RawValue(saved, "PREVIOUS", "CopySource"), greek);
    EXPECT_EQ(RawValue(saved, "OPTIONS", "CopyTarget"), Utf8Of(typed));
    EXPECT_EQ(RawValue(saved, "OPTIONS", "Program"), "notepad");
}

// A settings path in any alphabet: the caption shows it, and so does the box of a save that
// fails (its folder does not exist).
TEST_F(SettingsWindowTest, TheSettingsPathInAnyAlphabetShowsInTheCaptionAndTheSaveError)
{
    const std::string ini = folder / "Ωμέγα 日本\\Stowlet.ini";
    ASSERT_TRUE(TextCopy(TestStartup().SettingsFilePath, ini.c_str()));
    WindowSession session;
    ASSERT_TRUE(session.Window());
    EXPECT_EQ(WindowText(session.Window()), "Stowlet Launcher - Version: 1.2025.04.23 [" + ini + "]");
    std::optional<BoxSeen> box = SaveThroughOneBox(session);
    ASSERT_TRUE(box) << "no box, or the window did not go on past it";
    EXPECT_EQ(box->caption, "Error Saving Ini File");
    ASSERT_GT(box->text.size(), ini.size() + 1);
    EXPECT_EQ(box->text.substr(box->text.size() - ini.size() - 1), "\n" + ini);
}
