// The settings file through the real profile functions: read into the task records and written
// from them.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/timeout.h"
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
        EXPECT_EQ(LoadSettings(SettingsFilePath, Records), 1);
        c.check();
    }
    ClearRecords();
}

// A key that wraps at 32 bits in other readers stays long: a time-out or a modified-files window
// past what 32 bits hold is the longest, never a short one.
TEST(LoadSettings, NumbersPastThirtyTwoBitsSaturate)
{
    TempFolder folder;
    UseFile(folder / "long.ini");
    ASSERT_TRUE(WriteWholeFile(SettingsFilePath,
                               "[OPTIONS]\nTimeout=4294967297\nCopyModifiedFilesHour=99999999999\n"
                               "CopyModifiedFilesMinute=-3\n[PREVIOUS]\nTimeout=4294967295\n"));
    LoadSettings(SettingsFilePath, Records);
    EXPECT_EQ(TimeoutMilliseconds(Number(1, "Timeout")), 0xFFFFFFFEu);
    EXPECT_EQ(TimeoutMilliseconds(Number(0, "Timeout")), 0xFFFFFFFEu);
    EXPECT_EQ(uint32_t(Number(1, "CopyModifiedFilesHour")), 0xFFFFFFFEu);
    EXPECT_EQ(Number(1, "CopyModifiedFilesMinute"), -3);
    ClearRecords();
}

TEST(SaveSettings, WritesBothSectionsInKeyOrderAndReadsBackAsStored)
{
    TempFolder folder;
    UseFile(folder / "saved.ini");
    // A section the settings do not own stays as it was.
    ASSERT_TRUE(WriteWholeFile(SettingsFilePath, "[RUN]\r\nLogFile=C:\\logs\\run.log\r\nPromptDefault=Yes\r\n"));
    ClearRecords();
    std::strcpy(Records.Previous.Program, "\"C:\\My Tools\\app.exe\"");
    std::strcpy(Records.Previous.Parameters, "'a b'");
    std::strcpy(Records.Previous.WorkingDir, "C:\\work");
    Records.Previous.Timeout = 12;
    Records.Previous.Show = 5;  // Show=TRUE as read
    Records.Previous.Term = -3;
    Records.Previous.CopyModifiedFiles = 1;
    Records.Previous.CopyModifiedFilesHour = 2;
    std::strcpy(Records.Main.CopySource, "C:\\src;*.txt");
    std::strcpy(Records.Main.CopyTarget, "D:\\bak\\%DATE%");
    Records.Main.CopySubFolders = 1;
    Records.Main.Timeout = -1;
    std::string boundary = "\"" + std::string(TextCapacity - 5, 'x') + "\"";  // wraps to exactly 4095
    std::strcpy(Records.Main.Program, boundary.c_str());

    ASSERT_EQ(SaveSettings(SettingsFilePath, Records), 1);
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
        "Show=5",
        "AskExecute=0",
        "Term=-3",
        "CopyAfterExecute=0",
        "AskCopy=0",
        "Timeout=12",
        "CopyBeforeExecute=0",
        "AskCopyBefore=0",
        "CopyModifiedFiles=1",
        "CopyModifiedFilesHour=2",
        "CopyModifiedFilesMinute=0",
    };
    EXPECT_EQ(SectionLines(file, "PREVIOUS"), previous);
    std::vector<std::string> options = SectionLines(file, "OPTIONS");
    ASSERT_EQ(options.size(), size_t(SettingsKeyCount));
    EXPECT_EQ(options[0], "CopySource=C:\\src;*.txt");
    EXPECT_EQ(options[1], "CopySubFolders=1");
    EXPECT_EQ(options[13], "Timeout=-1");
    EXPECT_LT(file.find("[PREVIOUS]"), file.find("[OPTIONS]"));
    EXPECT_EQ(SectionLines(file, "RUN"), (std::vector<std::string>{"LogFile=C:\\logs\\run.log", "PromptDefault=Yes"}));

    TaskRecords saved = Records;
    ClearRecords();
    LoadSettings(SettingsFilePath, Records);
    EXPECT_EQ(std::memcmp(&Records.Previous, &saved.Previous, sizeof saved.Previous), 0);
    EXPECT_EQ(std::memcmp(&Records.Main, &saved.Main, sizeof saved.Main), 0);
    ClearRecords();
}

namespace {

// The profile writer with one write made to fail: the one numbered failAt.
int failAt, calls;
BOOL WINAPI FailingWriter(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file)
{
    if (calls++ == failAt) {
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return WritePrivateProfileStringA(section, key, value, file);
}

}  // namespace

TEST(SaveSettings, RefusesWhatCannotBeStoredAndReportsEveryFailedWrite)
{
    TempFolder folder;
    UseFile(folder / "kept.ini");
    const std::string original = "[PREVIOUS]\r\nProgram=keep\r\n";
    ASSERT_TRUE(WriteWholeFile(SettingsFilePath, original));

    // A text whose wrapped form would not fit its field: nothing is written.
    ClearRecords();
    std::string tooLong = "\"" + std::string(TextCapacity - 4, 'x') + "\"";
    std::strcpy(Records.Main.Program, tooLong.c_str());
    SetLastError(0);
    EXPECT_EQ(SaveSettings(SettingsFilePath, Records), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(ReadWholeFile(SettingsFilePath), original);
    ClearRecords();
    EXPECT_EQ(SaveSettings("", Records), 0);

    // A file that cannot be written: held open without sharing, because Wine lets root write a
    // read-only file.
    HANDLE held = CreateFileA(SettingsFilePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(SaveSettings(SettingsFilePath, Records), 0);
    CloseHandle(held);
    EXPECT_EQ(ReadWholeFile(SettingsFilePath), original);

    // Any write that fails, not only a section's first, makes the save fail with its error.
    for (failAt = 0; failAt < 2 * SettingsKeyCount; ++failAt) {
        calls = 0;
        SetLastError(0);
        EXPECT_EQ(SaveSettings(SettingsFilePath, Records, FailingWriter), 0) << failAt;
        EXPECT_EQ(GetLastError(), DWORD(ERROR_DISK_FULL)) << failAt;
    }
    calls = 0;
    EXPECT_EQ(SaveSettings(SettingsFilePath, Records, FailingWriter), 1);  // failAt is past the last write
    ClearRecords();
}

TEST(SaveSettings, AValueLoadedCutIsNotWrittenBackCut)
{
    TempFolder folder;
    UseFile(folder / "long.ini");
    const std::string full(TextCapacity + 500, 'L');
    ASSERT_TRUE(
        WriteWholeFile(SettingsFilePath, "[OPTIONS]\r\nParameters=" + full + "\r\nWorkingDir=" + full + "\r\n"));
    ClearRecords();
    LoadSettings(SettingsFilePath, Records);
    std::strcpy(Records.Main.WorkingDir, "C:\\edited");  // an edited text is no longer cut
    Records.CutTextKeys[1] &= ~(1u << 6);
    ASSERT_EQ(SaveSettings(SettingsFilePath, Records), 1);
    char read[TextCapacity + 1000];
    GetPrivateProfileStringA("OPTIONS", "Parameters", "", read, sizeof read, SettingsFilePath);
    EXPECT_EQ(std::string(read), full);  // untouched in the file, all of it
    GetPrivateProfileStringA("OPTIONS", "WorkingDir", "", read, sizeof read, SettingsFilePath);
    EXPECT_STREQ(read, "C:\\edited");
    ClearRecords();
}
