// The macro values from the real system, the clock seam, and %GITBRANCHNAME% from real files.
#include <windows.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "settings/macros.h"
#include "settings/task_settings.h"
#include "support/support.h"

namespace {

// What the routines under test are handed.
StartupValues Startup;
MacroRun Macros;
TaskRecords Records;
char ProcessIdText[PathCapacity];
int32_t ErrorCode;

void ExampleSaturday(SYSTEMTIME* now) { *now = SYSTEMTIME{2026, 12, 6, 5, 14, 7, 9, 250}; }

std::string Expand(const std::string& source, int32_t task = -1)
{
    static char output[TextCapacity];
    MacroInputs inputs = {&Macros.Values, ProcessIdText, &Records, ErrorCode, LineReader::Program, nullptr};
    EXPECT_TRUE(ExpandMacros(source.c_str(), output, TaskId(task), inputs)) << source;
    return output;
}

std::string WithoutTrailingBackslash(std::string text)
{
    if (!text.empty() && text.back() == '\\') text.pop_back();
    return text;
}

std::string SystemText(DWORD code)
{
    char text[PathCapacity] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, sizeof text,
                   nullptr);
    return text;
}

class MacrosTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::strcpy(Startup.OwnPath, "C:\\Tools\\Stowlet.exe");
        std::strcpy(Startup.OwnName, "Stowlet");
        gReadLocalClock = ExampleSaturday;
        ComputeMacroValues(Startup, Macros);
    }
    void TearDown() override
    {
        gReadLocalClock = [](SYSTEMTIME* now) { GetLocalTime(now); };
        ErrorCode = 0;
        ProcessIdText[0] = '\0';
        std::memset(&Records.Previous, 0, sizeof Records.Previous);
        std::memset(&Records.Main, 0, sizeof Records.Main);
    }
};

}  // namespace

TEST_F(MacrosTest, OneClockReadingForEveryDateMacroAndTheRunStart)
{
    EXPECT_EQ(Expand("%DATE% %TIME% %YEAR%-%MONTH%-%DAY% %HOUR%:%MINUTETENS%%MINUTEONES%:%SECOND% %WEEKDAY%"),
              "20261205 140709 2026-12-05 14:07:09 7");
    // 5 December 2026 14:07:09.250 as a file time, with no time-zone shift.
    EXPECT_EQ(Macros.StartTime, 134409532292500000ull);
}

TEST_F(MacrosTest, SystemFoldersAndNames)
{
    char systemDir[MAX_PATH], windowsDir[MAX_PATH], tempDir[MAX_PATH], documents[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryA(systemDir, MAX_PATH), 3u);
    ASSERT_GT(GetWindowsDirectoryA(windowsDir, MAX_PATH), 0u);
    ASSERT_GT(GetTempPathA(MAX_PATH, tempDir), 0u);
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents), S_OK);
    char user[PathCapacity], computer[PathCapacity];
    DWORD size = sizeof user;
    ASSERT_TRUE(GetUserNameA(user, &size));
    size = sizeof computer;
    ASSERT_TRUE(GetComputerNameA(computer, &size));

    struct Case {
        const char* source;
        std::string expected;
    } cases[] = {
        {"%SYSTEMDIR%", WithoutTrailingBackslash(systemDir)},
        {"%SYSTEMDRIVE%", std::string(systemDir, 3)},
        {"%SYSTEMDRIVE%\\x", std::string(systemDir, 3) + "\\x"},
        {"%WINDIR%", WithoutTrailingBackslash(windowsDir)},
        {"%TEMPDIR%", WithoutTrailingBackslash(tempDir)},
        {"%MYDOCUMENTS%", documents},
        {"%USERNAME%", user},
        {"%COMPUTERNAME%", computer},
        {"%PROGRAMDIR%", "C:\\Tools"},
        {"%PROGRAMNAME%", "Stowlet"},
    };
    for (const Case& c : cases) EXPECT_EQ(Expand(c.source), c.expected) << c.source;
    EXPECT_EQ(std::string(systemDir, 3).back(), '\\');
    std::string programFiles = Expand("%PROGRAMFILES%");
    EXPECT_FALSE(programFiles.empty());
    EXPECT_NE(programFiles.back(), '\\');
    EXPECT_EQ(programFiles.find('%'), std::string::npos);
}

TEST_F(MacrosTest, ValuesFormedAtEachExpansion)
{
    EXPECT_EQ(Expand("[%PROCESSID%]"), "[]");  // empty until the task sequence sets it
    std::strcpy(ProcessIdText, "1234");
    EXPECT_EQ(Expand("[%PROCESSID%]"), "[1234]");

    EXPECT_EQ(Expand("%ERRORCODE%"), "0");
    std::string successText = SystemText(0);
    ASSERT_FALSE(successText.empty());
    EXPECT_EQ(Expand("%ERRORTEXT%"), successText);
    ErrorCode = ERROR_FILE_NOT_FOUND;
    EXPECT_EQ(Expand("%ERRORCODE%: %ERRORTEXT%"), "2: " + SystemText(ERROR_FILE_NOT_FOUND));
    ErrorCode = 0x2000FFF0;  // a customer code: the system has no text for it
    ASSERT_EQ(SystemText(DWORD(ErrorCode)), "");
    EXPECT_EQ(Expand("%ERRORCODE% %ERRORTEXT%"), "536936432 %ERRORTEXT%");
}

TEST_F(MacrosTest, GitBranchFromRealHeadFiles)
{
    TempFolder folder;
    const std::string big = "ref: refs/heads/" + std::string(GitHeadReadLimit - 16 - 10, 'a') + "/" + "bbbbbbbbb" +
                            "/later/" + std::string(3 * 1024 * 1024, 'c') + "/end\n";
    ASSERT_EQ(big.find("/later"), GitHeadReadLimit);
    struct Case {
        const char* name;
        const char* head;  // nullptr: no .git folder
        std::string content;
        const char* expected;
    } cases[] = {
        {"main", "x", "ref: refs/heads/main\n", "main"},
        {"feature", "x", "ref: refs/heads/feature/x\n", "x"},
        {"crlf", "x", "ref: refs/heads/main\r\n", "main\r"},
        {"detached", "x", "0123456789abcdef0123456789abcdef01234567\n", "ErrorGitHeadText"},
        {"empty", "x", "", "ErrorGitHeadText"},
        {"no git", nullptr, "", "ErrorOpenGitPath"},
        {"megabytes", "x", big, "bbbbbbbbb"},
    };
    for (const Case& c : cases) {
        std::string dir = folder / c.name;
        ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
        if (c.head) {
            ASSERT_TRUE(CreateDirectoryA((dir + "\\.git").c_str(), nullptr));
            ASSERT_TRUE(WriteWholeFile(dir + "\\.git\\HEAD", c.content));
        }
        std::strcpy(Records.Main.WorkingDir, dir.c_str());
        EXPECT_EQ(Expand("%GITBRANCHNAME%", 1), c.expected) << c.name;
    }

    // From the program's folder when there is no working directory; a bare name looks in the
    // current directory.
    Records.Main.WorkingDir[0] = '\0';
    std::strcpy(Records.Main.Program, (folder / "feature\\app.exe").c_str());
    EXPECT_EQ(Expand("%GITBRANCHNAME%", 1), "x");
    std::strcpy(Records.Main.Program, "app.exe");
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    ASSERT_TRUE(SetCurrentDirectoryA((folder / "main").c_str()));
    EXPECT_EQ(Expand("%GITBRANCHNAME%", 1), "main");
    SetCurrentDirectoryA(current);
    Records.Main.Program[0] = '\0';
    EXPECT_EQ(Expand("%GITBRANCHNAME%", 1), "NoExecutePath");
    EXPECT_EQ(Expand("%GITBRANCHNAME%", 0), "NoExecutePath");
    EXPECT_EQ(Expand("%GITBRANCHNAME%", -1), "%GITBRANCHNAME%");
}
