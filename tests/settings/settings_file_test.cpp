// The settings file through the real profile functions, and the settings window's side
// through a plain window holding child controls with the dialog's ids.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "settings/settings_file.h"
#include "support/support.h"

namespace {

// The records and the file the routines under test work on.
TaskRecords Records;
char SettingsFilePath[TextCapacity];

const SettingsKey& Key(const char* name)
{
    for (const SettingsKey& key : SettingsKeys)
        if (std::strcmp(key.Name, name) == 0) return key;
    ADD_FAILURE() << name;
    return SettingsKeys[0];
}

std::string Text(int32_t selector, const char* name) { return TextField(Records.Of(TaskId(selector)), Key(name)); }
int32_t Number(int32_t selector, const char* name) { return NumberField(Records.Of(TaskId(selector)), Key(name)); }

void ClearRecords()
{
    std::memset(&Records.Previous, 0, sizeof Records.Previous);
    std::memset(&Records.Main, 0, sizeof Records.Main);
}

void UseFile(const std::string& path)
{
    ASSERT_LT(path.size(), sizeof SettingsFilePath);
    std::strcpy(SettingsFilePath, path.c_str());
}

// Child controls with the settings window's ids: edits for texts and numbers, check boxes for flags.
class ControlWindow {
public:
    ControlWindow()
    {
        window_ = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
        for (int32_t selector = 0; selector < 2; ++selector)
            for (const SettingsKey& key : SettingsKeys) {
                bool box = key.Kind == KeyKind::Flag || key.Kind == KeyKind::Show;
                CreateWindowExA(0, box ? "BUTTON" : "EDIT", "", WS_CHILD | (box ? BS_AUTOCHECKBOX : ES_AUTOHSCROLL), 0,
                                0, 100, 20, window_, reinterpret_cast<HMENU>(INT_PTR(ControlIdOf(key, selector))),
                                nullptr, nullptr);
            }
    }
    ~ControlWindow() { DestroyWindow(window_); }
    HWND Get() const { return window_; }

    void SetText(int32_t selector, const char* name, const std::string& text)
    {
        EXPECT_TRUE(SetDlgItemTextA(window_, ControlIdOf(Key(name), selector), text.c_str())) << name;
    }
    std::string GetText(int32_t selector, const char* name)
    {
        static char text[TextCapacity + 16];
        GetDlgItemTextA(window_, ControlIdOf(Key(name), selector), text, sizeof text);
        return text;
    }
    void Check(int32_t selector, const char* name, bool checked)
    {
        CheckDlgButton(window_, ControlIdOf(Key(name), selector), checked ? BST_CHECKED : BST_UNCHECKED);
    }
    bool Checked(int32_t selector, const char* name)
    {
        return IsDlgButtonChecked(window_, ControlIdOf(Key(name), selector)) == BST_CHECKED;
    }
    void ClearAll()
    {
        for (int32_t selector = 0; selector < 2; ++selector)
            for (const SettingsKey& key : SettingsKeys) {
                if (key.Kind == KeyKind::Flag || key.Kind == KeyKind::Show)
                    Check(selector, key.Name, false);
                else
                    SetText(selector, key.Name, "");
            }
    }

private:
    HWND window_;
};

// The "Key=value" lines of one section, in file order.
std::vector<std::string> SectionLines(const std::string& file, const std::string& section)
{
    std::vector<std::string> lines;
    std::istringstream in(file);
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') {
            inside = line == "[" + section + "]";
            continue;
        }
        if (inside && !line.empty()) lines.push_back(line);
    }
    return lines;
}

}  // namespace

TEST(LoadSettings, HandWrittenFiles)
{
    TempFolder folder;
    using Check = std::function<void()>;
    struct Case {
        const char* name;
        std::string ini;  // empty: no file at all
        Check check;
    } cases[] = {
        {"only OPTIONS", "[OPTIONS]\r\nProgram=notepad\r\n",
         [] {
             for (const SettingsKey& key : SettingsKeys) {
                 if (key.Kind == KeyKind::Text) {
                     EXPECT_EQ(Text(0, key.Name), "") << key.Name;
                 } else {
                     EXPECT_EQ(Number(0, key.Name), key.ReadDefault) << key.Name;
                 }
             }
             EXPECT_EQ(Number(0, "CopySubFolders"), 1);
             EXPECT_EQ(Number(0, "CopyOverwrite"), 1);
             EXPECT_EQ(Text(1, "Program"), "notepad");
             EXPECT_EQ(Number(1, "CopySubFolders"), 1);
         }},
        {"no file", "",
         [] {
             EXPECT_EQ(Number(0, "CopyOverwrite"), 1);
             EXPECT_EQ(Number(1, "CopySubFolders"), 1);
             EXPECT_EQ(Number(1, "Show"), 0);
         }},
        {"TRUE in any case",
         "[PREVIOUS]\nShow=TRUE\nTerm=tRuE\nUnhide=true\nAskCopy=True\n"
         "[OPTIONS]\nShow=true\nTerm=2\nUnhide=1\nAskCopy=0\nCopySubFolders=0\nCopyOverwrite=7\n",
         [] {
             EXPECT_EQ(Number(0, "Show"), 5);
             EXPECT_EQ(Number(0, "Term"), 1);
             EXPECT_EQ(Number(0, "Unhide"), 1);
             EXPECT_EQ(Number(0, "AskCopy"), 1);
             EXPECT_EQ(Number(1, "Show"), 5);
             EXPECT_EQ(Number(1, "Term"), 2);
             EXPECT_EQ(Number(1, "Unhide"), 1);
             EXPECT_EQ(Number(1, "AskCopy"), 0);
             EXPECT_EQ(Number(1, "CopySubFolders"), 0);
             EXPECT_EQ(Number(1, "CopyOverwrite"), 7);
         }},
        {"Show 1 and 0, numbers",
         "[PREVIOUS]\nShow=1\nTimeout=30\nCopyModifiedFilesHour=2\n"
         "CopyModifiedFilesMinute=30\n[OPTIONS]\nShow=0\nTimeout=TRUE\n",
         [] {
             EXPECT_EQ(Number(0, "Show"), 1);
             EXPECT_EQ(Number(0, "Timeout"), 30);
             EXPECT_EQ(Number(0, "CopyModifiedFilesHour"), 2);
             EXPECT_EQ(Number(0, "CopyModifiedFilesMinute"), 30);
             EXPECT_EQ(Number(1, "Show"), 0);
             EXPECT_EQ(Number(1, "Timeout"), 0);  // "TRUE" is a flag's spelling only
         }},
        {"enclosing quotes",
         "[PREVIOUS]\nProgram=\"C:\\My Tools\\app.exe\"\nParameters='a b'\n"
         "WorkingDir=\"\"C:\\q\"\"\nCopySource=\"mixed'\nCopyTarget=\"only front\n",
         [] {
             EXPECT_EQ(Text(0, "Program"), "C:\\My Tools\\app.exe");
             EXPECT_EQ(Text(0, "Parameters"), "a b");
             EXPECT_EQ(Text(0, "WorkingDir"), "\"C:\\q\"");
             EXPECT_EQ(Text(0, "CopySource"), "\"mixed'");
             EXPECT_EQ(Text(0, "CopyTarget"), "\"only front");
             EXPECT_EQ(Records.CutTextKeys[0], 0u);
         }},
        {"values at and beyond the field",
         "[OPTIONS]\nProgram=" + std::string(4095, 'p') + "\nParameters=" + std::string(4096, 'q') +
             "\nWorkingDir=" + std::string(10000, 'w') + "\n",
         [] {
             EXPECT_EQ(Text(1, "Program"), std::string(4095, 'p'));
             EXPECT_EQ(Text(1, "Parameters"), std::string(4095, 'q'));
             EXPECT_EQ(Text(1, "WorkingDir"), std::string(4095, 'w'));
             EXPECT_EQ(Records.CutTextKeys[0], 0u);
             EXPECT_EQ(Records.CutTextKeys[1], (1u << 5) | (1u << 6));  // Parameters, WorkingDir
         }},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = folder / ("case" + std::to_string(n++) + ".ini");
        if (!c.ini.empty()) {
            ASSERT_TRUE(WriteWholeFile(path, c.ini));
        }
        UseFile(path);
        std::memset(&Records.Previous, 0x55, sizeof Records.Previous);  // every field must be written
        std::memset(&Records.Main, 0x55, sizeof Records.Main);
        Records.CutTextKeys[0] = Records.CutTextKeys[1] = 0x55;
        EXPECT_EQ(LoadSettings(SettingsFilePath, Records, nullptr), 1);
        c.check();
    }
    ClearRecords();
}

TEST(LoadSettings, FillsTheControls)
{
    TempFolder folder;
    UseFile(folder / "controls.ini");
    ASSERT_TRUE(WriteWholeFile(SettingsFilePath,
                               "[PREVIOUS]\nProgram=notepad\nShow=TRUE\nCopySubFolders=0\n"
                               "[OPTIONS]\nTimeout=45\nCopyModifiedFilesMinute=4294967295\n"));
    ControlWindow window;
    window.Check(0, "CopySubFolders", true);
    window.SetText(1, "Program", "stale");
    LoadSettings(SettingsFilePath, Records, window.Get());
    EXPECT_EQ(window.GetText(0, "Program"), "notepad");
    EXPECT_EQ(window.GetText(1, "Program"), "");
    EXPECT_TRUE(window.Checked(0, "Show"));
    EXPECT_FALSE(window.Checked(0, "CopySubFolders"));
    EXPECT_TRUE(window.Checked(0, "CopyOverwrite"));  // absent: default 1
    EXPECT_FALSE(window.Checked(1, "Term"));
    EXPECT_EQ(GetDlgItemInt(window.Get(), 79, nullptr, FALSE), 45u);
    EXPECT_EQ(window.GetText(1, "Timeout"), "45");
    EXPECT_EQ(window.GetText(0, "Timeout"), "0");
    // Numbers are shown unsigned.
    EXPECT_EQ(window.GetText(1, "CopyModifiedFilesMinute"),
              std::to_string(uint32_t(Number(1, "CopyModifiedFilesMinute"))));
    ClearRecords();
}

TEST(SaveSettings, WritesBothSectionsInKeyOrderAndReadsBackAsTyped)
{
    TempFolder folder;
    UseFile(folder / "saved.ini");
    ControlWindow window;
    window.ClearAll();
    window.SetText(0, "Program", "\"C:\\My Tools\\app.exe\"");
    window.SetText(0, "Parameters", "'a b'");
    window.SetText(0, "WorkingDir", "C:\\work");
    window.SetText(0, "Timeout", "12");
    window.Check(0, "Show", true);
    window.Check(0, "CopyModifiedFiles", true);
    window.SetText(0, "CopyModifiedFilesHour", "2");
    window.SetText(1, "CopySource", "C:\\src;*.txt");
    window.SetText(1, "CopyTarget", "D:\\bak\\%DATE%");
    window.Check(1, "CopySubFolders", true);
    window.SetText(1, "Timeout", "45");
    window.SetText(1, "CopyModifiedFilesMinute", "abc");                      // written as typed
    std::string boundary = "\"" + std::string(TextCapacity - 5, 'x') + "\"";  // wraps to exactly 4095
    window.SetText(1, "Program", boundary);

    // A section the window does not own stays as it was.
    ASSERT_TRUE(WriteWholeFile(SettingsFilePath, "[RUN]\r\nLogFile=C:\\logs\\run.log\r\nPromptDefault=Yes\r\n"));
    ClearRecords();
    Records.Main.Unhide = 7;  // flags and numbers of the records are not touched by a save
    Records.Main.Timeout = 3;
    ASSERT_EQ(SaveSettings(SettingsFilePath, Records, window.Get()), 1);
    EXPECT_EQ(Text(0, "Program"), "\"\"C:\\My Tools\\app.exe\"\"");  // the record holds the wrapped text
    EXPECT_EQ(Records.Main.Unhide, 7);
    EXPECT_EQ(Records.Main.Timeout, 3);

    std::string file = ReadWholeFile(SettingsFilePath);
    std::vector<std::string> previous = {
        "CopySource=",
        "CopySubFolders=0",
        "CopyTarget=",
        "CopyOverwrite=0",
        "Program=\"\"C:\\My Tools\\app.exe\"\"",
        "Parameters=''a b''",
        "WorkingDir=C:\\work",
        "Unhide=0",
        "Show=1",
        "AskExecute=0",
        "Term=0",
        "CopyAfterExecute=0",
        "AskCopy=0",
        "Timeout=12",
        "CopyBeforeExecute=0",
        "AskCopyBefore=0",
        "CopyModifiedFiles=1",
        "CopyModifiedFilesHour=2",
        "CopyModifiedFilesMinute=",
    };
    EXPECT_EQ(SectionLines(file, "PREVIOUS"), previous);
    std::vector<std::string> options = SectionLines(file, "OPTIONS");
    ASSERT_EQ(options.size(), size_t(SettingsKeyCount));
    EXPECT_EQ(options[0], "CopySource=C:\\src;*.txt");
    EXPECT_EQ(options[1], "CopySubFolders=1");
    EXPECT_EQ(options[13], "Timeout=45");
    EXPECT_EQ(options[18], "CopyModifiedFilesMinute=abc");
    EXPECT_LT(file.find("[PREVIOUS]"), file.find("[OPTIONS]"));
    EXPECT_EQ(SectionLines(file, "RUN"), (std::vector<std::string>{"LogFile=C:\\logs\\run.log", "PromptDefault=Yes"}));

    window.ClearAll();
    ClearRecords();
    LoadSettings(SettingsFilePath, Records, window.Get());
    EXPECT_EQ(Text(0, "Program"), "\"C:\\My Tools\\app.exe\"");
    EXPECT_EQ(window.GetText(0, "Program"), "\"C:\\My Tools\\app.exe\"");
    EXPECT_EQ(Text(0, "Parameters"), "'a b'");
    EXPECT_EQ(Text(1, "Program"), boundary);
    EXPECT_EQ(Text(1, "CopyTarget"), "D:\\bak\\%DATE%");
    EXPECT_EQ(Number(0, "CopySubFolders"), 0);  // written "0", not the default 1
    EXPECT_EQ(Number(0, "CopyOverwrite"), 0);
    EXPECT_EQ(Number(0, "Show"), 1);
    EXPECT_EQ(Number(0, "CopyModifiedFilesMinute"), 0);  // written empty
    EXPECT_EQ(Number(1, "CopySubFolders"), 1);
    EXPECT_EQ(Number(1, "Timeout"), 45);
    EXPECT_EQ(window.GetText(1, "Timeout"), "45");
    EXPECT_TRUE(window.Checked(0, "Show"));
    EXPECT_FALSE(window.Checked(0, "CopyOverwrite"));
    ClearRecords();
}

TEST(SaveSettings, RefusesWhatCannotBeStoredAndReportsAFailedWrite)
{
    TempFolder folder;
    UseFile(folder / "kept.ini");
    const std::string original = "[PREVIOUS]\r\nProgram=keep\r\n";
    ASSERT_TRUE(WriteWholeFile(SettingsFilePath, original));
    ControlWindow window;

    struct Case {
        const char* name;
        int32_t selector;
        const char* key;
        std::string text;
    } cases[] = {
        {"wrapped form too long", 1, "Program", "\"" + std::string(TextCapacity - 4, 'x') + "\""},
        {"text longer than its field", 0, "Parameters", std::string(TextCapacity, 'y')},
        {"number longer than its field", 1, "Timeout", std::string(PathCapacity, '9')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window.ClearAll();
        window.SetText(c.selector, c.key, c.text);
        ClearRecords();
        std::strcpy(Records.Main.Program, "untouched");
        int32_t failed = -1;
        SetLastError(0);
        EXPECT_EQ(SaveSettings(SettingsFilePath, Records, window.Get(), &failed), 0);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
        EXPECT_EQ(failed, ControlIdOf(Key(c.key), c.selector));
        EXPECT_STREQ(Records.Main.Program, "untouched");
        EXPECT_EQ(ReadWholeFile(SettingsFilePath), original);
    }

    EXPECT_EQ(SaveSettings(SettingsFilePath, Records, nullptr), 0);

    // A file that cannot be written: the first write fails and nothing changes. Held open without
    // sharing, because Wine lets root write a read-only file.
    window.ClearAll();
    window.SetText(0, "Program", "new");
    HANDLE held = CreateFileA(SettingsFilePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    int32_t failed = -1;
    EXPECT_EQ(SaveSettings(SettingsFilePath, Records, window.Get(), &failed), 0);
    EXPECT_EQ(failed, 0);
    CloseHandle(held);
    EXPECT_EQ(ReadWholeFile(SettingsFilePath), original);
    ClearRecords();
}

TEST(SaveSettings, AValueLoadedCutIsNotWrittenBackCut)
{
    TempFolder folder;
    UseFile(folder / "long.ini");
    const std::string full(TextCapacity + 500, 'L');
    ASSERT_TRUE(
        WriteWholeFile(SettingsFilePath, "[OPTIONS]\r\nParameters=" + full + "\r\nWorkingDir=" + full + "\r\n"));
    ControlWindow window;
    ClearRecords();
    LoadSettings(SettingsFilePath, Records, window.Get());
    EXPECT_EQ(window.GetText(1, "Parameters").size(), TextCapacity - 1);
    window.SetText(1, "WorkingDir", "C:\\edited");  // an edited field is written as typed
    ASSERT_EQ(SaveSettings(SettingsFilePath, Records, window.Get()), 1);
    char read[TextCapacity + 1000];
    GetPrivateProfileStringA("OPTIONS", "Parameters", "", read, sizeof read, SettingsFilePath);
    EXPECT_EQ(std::string(read), full);  // untouched in the file, all of it
    GetPrivateProfileStringA("OPTIONS", "WorkingDir", "", read, sizeof read, SettingsFilePath);
    EXPECT_STREQ(read, "C:\\edited");
    ClearRecords();
}
