// The settings window's binding of the task records to its controls, on a plain window holding
// child controls with the dialog's ids.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/settings_file.h"
#include "support/boxes.h"
#include "support/support.h"
#include "ui/settings_binding.h"
#include "ui/settings_layout.h"

namespace {

TaskRecords Records;  // large: kept off the stack

const SettingsKey& Key(const char* name)
{
    for (const SettingsKey& key : SettingsKeys)
        if (std::strcmp(key.Name, name) == 0) return key;
    ADD_FAILURE() << name;
    return SettingsKeys[0];
}

std::string Repeat(const std::string& letter, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i) text += letter;
    return text;
}

int32_t& Number(TaskId id, const char* name) { return NumberField(Records.Of(id), Key(name)); }

// Child controls with the settings window's ids: edits for texts and numbers, check boxes for flags.
class ControlWindow {
public:
    ControlWindow()
    {
        // Unicode windows, as the settings window's are.
        window_ = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
        for (TaskId id : {TaskId::Previous, TaskId::Main})
            for (const SettingsKey& key : SettingsKeys) {
                bool box = key.Kind == KeyKind::Flag || key.Kind == KeyKind::Show;
                CreateWindowExW(0, box ? L"BUTTON" : L"EDIT", L"", WS_CHILD | (box ? BS_AUTOCHECKBOX : ES_AUTOHSCROLL),
                                0, 0, 100, 20, window_, reinterpret_cast<HMENU>(INT_PTR(ControlOfKey(key, id))),
                                nullptr, nullptr);
            }
    }
    ~ControlWindow() { DestroyWindow(window_); }
    HWND Get() const { return window_; }

    void SetText(TaskId id, const char* name, const std::string& text)
    {
        EXPECT_TRUE(SetDlgItemTextW(window_, ControlOfKey(Key(name), id), WideOf(text).c_str())) << name;
    }
    std::string GetText(TaskId id, const char* name)
    {
        return WindowText(GetDlgItem(window_, ControlOfKey(Key(name), id)));
    }
    void Check(TaskId id, const char* name, bool checked)
    {
        CheckDlgButton(window_, ControlOfKey(Key(name), id), checked ? BST_CHECKED : BST_UNCHECKED);
    }
    bool Checked(TaskId id, const char* name)
    {
        return IsDlgButtonChecked(window_, ControlOfKey(Key(name), id)) == BST_CHECKED;
    }

private:
    HWND window_;
};

}  // namespace

TEST(SettingsBinding, ShowsTheRecordsInTheirControls)
{
    TempFolder folder;
    std::string path = folder / "controls.ini";
    ASSERT_TRUE(WriteWholeFile(path,
                               "[PREVIOUS]\nProgram=notepad\nShow=TRUE\nCopySubFolders=0\n"
                               "[OPTIONS]\nTimeout=45\nCopyModifiedFilesMinute=-3\n"));
    ControlWindow window;
    window.Check(TaskId::Previous, "CopySubFolders", true);
    window.SetText(TaskId::Main, "Program", "stale");
    LoadSettings(path.c_str(), Records);
    ShowRecords(window.Get(), Records);
    EXPECT_EQ(window.GetText(TaskId::Previous, "Program"), "notepad");
    EXPECT_EQ(window.GetText(TaskId::Main, "Program"), "");
    EXPECT_TRUE(window.Checked(TaskId::Previous, "Show"));
    EXPECT_FALSE(window.Checked(TaskId::Previous, "CopySubFolders"));
    EXPECT_TRUE(window.Checked(TaskId::Previous, "CopyOverwrite"));  // absent: default 1
    EXPECT_FALSE(window.Checked(TaskId::Main, "Term"));
    // The dialog's own id of the main task's time-out.
    EXPECT_EQ(GetDlgItemInt(window.Get(), 79, nullptr, FALSE), 45u);
    EXPECT_EQ(window.GetText(TaskId::Previous, "Timeout"), "0");
    EXPECT_EQ(window.GetText(TaskId::Main, "CopyModifiedFilesMinute"), "-3");  // the number the file holds
}

// Through the window and back to the file: a number left as shown keeps the file's value, one
// changed is saved exactly as typed (an emptied one as an empty value), a box left as it opened
// keeps the file's integer, and a box shows what its flag does.
TEST(SettingsBinding, SavesNumbersAsTypedAndBoxesLeftAloneAsTheyWere)
{
    TempFolder folder;
    std::string path = folder / "round.ini";
    ASSERT_TRUE(WriteWholeFile(path,
                               "[PREVIOUS]\r\nTimeout=-1\r\nCopyModifiedFilesHour=5\r\nCopyModifiedFilesMinute=30\r\n"
                               "CopySubFolders=2\r\nTerm=2\r\n[OPTIONS]\r\nTimeout=20\r\nCopyModifiedFilesMinute=9\r\n"
                               "Unhide=3\r\n"));
    ControlWindow window;
    LoadSettings(path.c_str(), Records);
    ShowRecords(window.Get(), Records);
    EXPECT_EQ(window.GetText(TaskId::Previous, "Timeout"), "-1");
    EXPECT_FALSE(window.Checked(TaskId::Previous, "CopySubFolders")) << "the copy walks subfolders at 1 only";
    EXPECT_TRUE(window.Checked(TaskId::Previous, "Term"));
    EXPECT_TRUE(window.Checked(TaskId::Main, "Unhide"));

    window.SetText(TaskId::Previous, "CopyModifiedFilesMinute", "");
    window.SetText(TaskId::Main, "Timeout", "007");
    window.Check(TaskId::Main, "Unhide", false);
    ASSERT_EQ(TakeControls(window.Get(), Records), 0);
    ASSERT_EQ(SaveSettings(path.c_str(), Records), 1);

    const struct {
        const char* section;
        const char* key;
        const char* line;
    } expected[] = {
        {"PREVIOUS", "Timeout", "Timeout=-1"},
        {"PREVIOUS", "CopyModifiedFilesHour", "CopyModifiedFilesHour=5"},
        {"PREVIOUS", "CopyModifiedFilesMinute", "CopyModifiedFilesMinute="},
        {"PREVIOUS", "CopySubFolders", "CopySubFolders=2"},
        {"PREVIOUS", "Term", "Term=2"},
        {"OPTIONS", "Timeout", "Timeout=007"},
        {"OPTIONS", "CopyModifiedFilesMinute", "CopyModifiedFilesMinute=9"},
        {"OPTIONS", "Unhide", "Unhide=0"},
    };
    std::string saved = ReadWholeFile(path);
    for (const auto& e : expected) {
        size_t section = saved.find(std::string("[") + e.section + "]");
        ASSERT_NE(section, std::string::npos) << e.section;
        size_t line = saved.find(std::string("\r\n") + e.key + "=", section);
        ASSERT_NE(line, std::string::npos) << e.section << " " << e.key;
        EXPECT_EQ(saved.substr(line + 2, saved.find("\r\n", line + 2) - line - 2), e.line) << e.section;
    }
    // Typed again as the number the earlier save read it as: saved as now typed.
    window.SetText(TaskId::Main, "Timeout", "7");
    ASSERT_EQ(TakeControls(window.Get(), Records), 0);
    ASSERT_EQ(SaveSettings(path.c_str(), Records), 1);
    EXPECT_NE(ReadWholeFile(path).find("\r\nTimeout=7\r\n"), std::string::npos);
    LoadSettings(path.c_str(), Records);
    EXPECT_EQ(Number(TaskId::Previous, "CopyModifiedFilesMinute"), 0) << "an empty value reads back as 0";
    EXPECT_EQ(Number(TaskId::Main, "Timeout"), 7);
}

// What the controls show goes into the records; a control left as shown keeps the stored value.
TEST(SettingsBinding, TakesTheControlsAndKeepsWhatWasLeftAlone)
{
    ControlWindow window;
    std::memset(&Records, 0, sizeof Records);
    Number(TaskId::Previous, "Show") = 5;
    Number(TaskId::Previous, "Term") = -3;
    Number(TaskId::Previous, "Unhide") = 7;
    Number(TaskId::Main, "Timeout") = -1;
    Number(TaskId::Main, "CopyModifiedFilesHour") = 4;
    std::strcpy(Records.Main.Parameters, "cut");
    std::strcpy(Records.Main.WorkingDir, "cut too");
    Records.CutKeysOf(TaskId::Main) = (1u << 5) | (1u << 6);
    ShowRecords(window.Get(), Records);

    window.Check(TaskId::Previous, "Unhide", false);
    window.Check(TaskId::Main, "AskCopy", true);
    window.SetText(TaskId::Main, "CopyModifiedFilesHour", "abc");  // read as the file would read it
    window.SetText(TaskId::Main, "CopyModifiedFilesMinute", "12");
    window.SetText(TaskId::Main, "WorkingDir", "C:\\Ελληνικά");
    window.SetText(TaskId::Previous, "Program", "\"C:\\My Tools\\app.exe\"");
    ASSERT_EQ(TakeControls(window.Get(), Records), 0);

    EXPECT_EQ(Number(TaskId::Previous, "Show"), 5);
    EXPECT_EQ(Number(TaskId::Previous, "Term"), -3);
    EXPECT_EQ(Number(TaskId::Previous, "Unhide"), 0);
    EXPECT_EQ(Number(TaskId::Main, "AskCopy"), 1);
    EXPECT_EQ(Number(TaskId::Main, "Timeout"), -1);
    EXPECT_EQ(Number(TaskId::Main, "CopyModifiedFilesHour"), 0);
    EXPECT_EQ(Number(TaskId::Main, "CopyModifiedFilesMinute"), 12);
    EXPECT_STREQ(Records.Previous.Program, "\"C:\\My Tools\\app.exe\"");
    EXPECT_STREQ(Records.Main.WorkingDir, "C:\\Ελληνικά");
    EXPECT_EQ(Records.CutKeysOf(TaskId::Main), 1u << 5);  // Parameters left as loaded stays cut
}

TEST(SettingsBinding, RefusesWhatCannotBeStoredAsTyped)
{
    ControlWindow window;
    struct Case {
        const char* name;
        TaskId id;
        const char* key;
        std::string text;
    } cases[] = {
        {"wrapped form too long", TaskId::Main, "Program", "\"" + std::string(TextCapacity - 4, 'x') + "\""},
        {"text longer than its field", TaskId::Previous, "Parameters", std::string(TextCapacity, 'y')},
        {"number longer than its field", TaskId::Main, "Timeout", std::string(PathCapacity, '9')},
        // 4096 UTF-16 units, one more than a field takes, whatever its bytes.
        {"Greek text longer than its field", TaskId::Main, "CopyTarget", Repeat("Ω", TextCapacity)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::memset(&Records, 0, sizeof Records);
        ShowRecords(window.Get(), Records);
        window.SetText(c.id, c.key, c.text);
        std::strcpy(Records.Main.Program, "untouched");
        EXPECT_EQ(TakeControls(window.Get(), Records), ControlOfKey(Key(c.key), c.id));
        EXPECT_STREQ(Records.Main.Program, "untouched");
    }
}
