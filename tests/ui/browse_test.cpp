// The "..." buttons of the settings window: the folder question, the Open dialog and the folder
// browser, answered from the test thread.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "settings/task_settings.h"
#include "support/boxes.h"
#include "support/support.h"
#include "test_ini.h"
#include "ui/settings_dialog.h"
#include "window_session.h"

namespace {

constexpr UINT SetSelection = WM_USER + 102;  // BFFM_SETSELECTIONA
constexpr int FileTypes = 0x470;              // the Open dialog's file type list
constexpr int FileNameEdit = 0x480;
constexpr int FileNameCombo = 0x47C;

class BrowseTest : public testing::Test {
protected:
    static void SetUpTestSuite() { TestStartup(); }
    void SetUp() override
    {
        UseSettingsFile(folder, "[PREVIOUS]\r\nCopySource=C:\\Before\r\nWorkingDir=C:\\Work\r\n");
        file = folder / "data.txt";
        WriteWholeFile(file, "x");
    }

    // Answers "Is it a request for a folder?"; false when it did not come up as it should.
    static bool AnswerFolderQuestion(WindowSession& session, int answer)
    {
        HWND box = WaitForTopWindow("#32770", "Please Confirm", 5000);
        if (!box) return false;
        bool right = WindowText(GetDlgItem(box, 0xFFFF)) == "Is it a request for a folder?" && GetDlgItem(box, IDYES) &&
                     GetDlgItem(box, IDNO) && GetWindow(box, GW_OWNER) == session.Window();
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        return WaitGone(box) && right;
    }

    // The Open dialog titled "Selecting a file" with its single filter; chooses path (or cancels
    // when path is empty).
    static void AnswerOpenDialog(const std::string& path)
    {
        HWND dialog = WaitForTopWindow("#32770", "Selecting a file", 5000);
        ASSERT_TRUE(dialog) << "no Open dialog";
        HWND types = GetDlgItem(dialog, FileTypes);
        ASSERT_TRUE(types);
        EXPECT_EQ(SendMessageA(types, CB_GETCOUNT, 0, 0), 1);
        char type[64] = "";
        SendMessageA(types, CB_GETLBTEXT, 0, LPARAM(type));
        EXPECT_STREQ(type, "All files");
        if (!path.empty()) {
            HWND name = GetDlgItem(dialog, FileNameEdit);
            if (!name) name = GetDlgItem(dialog, FileNameCombo);
            ASSERT_TRUE(name);
            SetWindowTextA(name, path.c_str());
        }
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(path.empty() ? IDCANCEL : IDOK, BN_CLICKED), 0);
        EXPECT_TRUE(WaitGone(dialog));
    }

    // Selects path in the browser's tree. The browser may still settle its first selection
    // after it has shown itself, so the choice is repeated until the tree holds it.
    static bool SelectFolder(HWND browser, const std::string& path)
    {
        HWND tree = nullptr;
        for (HWND child : ChildrenOf(browser))
            if (ClassOf(child) == "SysTreeView32") tree = child;
        if (!tree) return false;
        std::string name = path.substr(path.find_last_of('\\') + 1);
        auto selected = [&] {
            char text[MAX_PATH] = "";
            TVITEMA item = {};
            item.mask = TVIF_TEXT;
            item.hItem = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
            item.pszText = text;
            item.cchTextMax = sizeof text;
            return item.hItem && SendMessageA(tree, TVM_GETITEMA, 0, LPARAM(&item)) && name == text;
        };
        // Each request expands the tree anew: under load a request repeated too often can keep
        // restarting that work, so each is given twice as long as the one before to land.
        for (DWORD start = GetTickCount(), wait = 1000; GetTickCount() - start < 30000; wait *= 2) {
            SendMessageA(browser, SetSelection, TRUE, LPARAM(path.c_str()));
            for (DWORD asked = GetTickCount(); GetTickCount() - asked < wait; Sleep(20))
                if (selected()) return true;
        }
        return false;
    }

    // The folder browser titled "Selecting a file" with the prompt; chooses path (or cancels
    // when path is empty).
    static void AnswerFolderBrowser(const std::string& path)
    {
        HWND browser = WaitForTopWindow("#32770", "Selecting a file", 5000);
        ASSERT_TRUE(browser) << "no folder browser";
        bool prompt = false;
        for (HWND child : ChildrenOf(browser))
            if (ClassOf(child) == "Static" && WindowText(child) == "Please select Target folder") prompt = true;
        EXPECT_TRUE(prompt);
        EXPECT_EQ(GetDlgItem(browser, FileTypes), nullptr);  // not the Open dialog
        if (!path.empty()) {
            ASSERT_TRUE(SelectFolder(browser, path));
        }
        PostMessageA(browser, WM_COMMAND, MAKEWPARAM(path.empty() ? IDCANCEL : IDOK, BN_CLICKED), 0);
        EXPECT_TRUE(WaitGone(browser));
    }

    // Outside the temporary folder, where other tests make and remove folders all the time: the
    // browser's tree follows every change there and may never settle on the choice.
    TempFolder folder{"C:\\"};
    std::string file;
};

}  // namespace

TEST_F(BrowseTest, NoToTheFolderQuestionOpensTheOpenDialog)
{
    struct Case {
        int button, field;
    };
    for (Case c : {Case{4, 3}, Case{48, 47}, Case{15, 14}}) {
        SCOPED_TRACE(c.button);
        WindowSession session;
        ASSERT_TRUE(session.Window());
        session.Click(c.button);
        ASSERT_TRUE(AnswerFolderQuestion(session, IDNO));
        AnswerOpenDialog(file);
        ASSERT_TRUE(session.Settle());
        EXPECT_EQ(session.Text(c.field), file);
    }
}

TEST_F(BrowseTest, YesToTheFolderQuestionOpensTheFolderBrowser)
{
    struct Case {
        int button, field;
    };
    for (Case c : {Case{44, 43}, Case{8, 7}, Case{55, 54}}) {
        SCOPED_TRACE(c.button);
        WindowSession session;
        ASSERT_TRUE(session.Window());
        session.Click(c.button);
        ASSERT_TRUE(AnswerFolderQuestion(session, IDYES));
        AnswerFolderBrowser(folder.Path());
        ASSERT_TRUE(session.Settle());
        EXPECT_EQ(session.Text(c.field), folder.Path() + "\\");  // a folder ends with "\"
    }
}

TEST_F(BrowseTest, ACancelledBrowseLeavesTheFieldAsItWas)
{
    WindowSession session;
    ASSERT_TRUE(session.Window());
    session.Click(4);
    ASSERT_TRUE(AnswerFolderQuestion(session, IDYES));
    AnswerFolderBrowser("");
    ASSERT_TRUE(session.Settle());
    EXPECT_EQ(session.Text(3), "C:\\Before");
    // The choice goes to the field only: the record keeps the text as loaded.
    EXPECT_STREQ(SettingsWindowStateOf(session.Window())->Tasks.Previous.CopySource, "C:\\Before");

    session.Click(4);
    ASSERT_TRUE(AnswerFolderQuestion(session, IDNO));
    AnswerOpenDialog("");
    ASSERT_TRUE(session.Settle());
    EXPECT_EQ(session.Text(3), "C:\\Before");
}

TEST_F(BrowseTest, ExecuteAlwaysOpensTheOpenDialogAndWorkingDirectoryTheFolderBrowser)
{
    WindowSession session;
    ASSERT_TRUE(session.Window());
    // No question first: the Open dialog itself comes up.
    session.Click(12);
    AnswerOpenDialog(file);
    ASSERT_TRUE(session.Settle());
    EXPECT_EQ(session.Text(11), file);

    session.Click(18);
    AnswerFolderBrowser("");
    ASSERT_TRUE(session.Settle());
    EXPECT_EQ(session.Text(17), "C:\\Work");

    session.Click(58);
    AnswerFolderBrowser(folder.Path());
    ASSERT_TRUE(session.Settle());
    EXPECT_EQ(session.Text(57), folder.Path() + "\\");
}

// A value longer than its field is loaded cut and kept as the file holds it unless the user
// changes it: a path picked with "..." is such a change, a cancelled browse is not.
TEST_F(BrowseTest, ALongValueIsReplacedByAPickedPathAndKeptAfterACancelledBrowse)
{
    const std::string longValue = "C:\\" + std::string(5000, 'v');
    constexpr int Save = 82;
    struct Case {
        const char* name;
        bool pick;
    };
    for (Case c : {Case{"picked", true}, Case{"cancelled", false}}) {
        SCOPED_TRACE(c.name);
        std::string ini = UseSettingsFile(folder, "[PREVIOUS]\r\nCopySource=" + longValue + "\r\n");
        WindowSession session;
        ASSERT_TRUE(session.Window());
        session.Click(4);
        ASSERT_TRUE(AnswerFolderQuestion(session, IDYES));
        AnswerFolderBrowser(c.pick ? folder.Path() : "");
        ASSERT_TRUE(session.Settle());
        session.Click(Save);
        ASSERT_TRUE(session.Settle());
        std::string value = RawValue(ReadWholeFile(ini), "PREVIOUS", "CopySource");
        std::string expected = c.pick ? folder.Path() + "\\" : longValue;
        EXPECT_TRUE(value == expected) << "the file holds " << value.size() << " characters beginning "
                                       << value.substr(0, 48) << ", not " << expected.size();
    }
}
