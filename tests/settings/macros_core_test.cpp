#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "settings/macros_core.h"
#include "settings/task_settings.h"

namespace {

// 5 December 2026, 14:07:09, a Saturday (day of week 6).
const ClockReading Saturday = {2026, 12, 6, 5, 14, 7, 9};

const SystemTexts Machine = {
    "C:\\Users\\me\\Documents",
    "C:\\Tools\\Stowlet.exe",
    "C:\\Program Files\\",
    "Stowlet",
    "C:\\Windows\\system32",
    "C:\\Users\\me\\Temp\\",
    "me",
    "BUILDER",
    "C:\\Windows\\",
};

// The HEAD files the fake file system holds, and the paths asked for.
std::map<std::string, std::string> Files;
std::vector<std::string> PathsRead;

bool FakeRead(const char* path, char* bytes, size_t capacity, size_t& count)
{
    PathsRead.push_back(path);
    auto found = Files.find(path);
    if (found == Files.end()) return false;
    count = std::min(capacity, found->second.size());
    std::memcpy(bytes, found->second.data(), count);
    return true;
}

std::string FakeErrorTextValue = "All is well.\r\n";
bool FakeErrorText(int32_t code, char (&text)[PathCapacity])
{
    if (code == 99) return false;  // a code the system has no text for
    std::strcpy(text, FakeErrorTextValue.c_str());
    return true;
}

struct Expander {
    MacroValues values;
    std::string processId = "4242";
    int32_t errorCode = 0;
    TaskRecords tasks = {};

    explicit Expander(const SystemTexts& system = Machine) { FormatMacroValues(Saturday, system, values); }

    std::string operator()(const std::string& source, int32_t task = 1, bool* fit = nullptr)
    {
        ExpansionContext context = {&values, processId.c_str(),   errorCode, FakeErrorText, FakeRead,
                                    &tasks,  LineReader::Program, nullptr};
        static char output[TextCapacity];
        bool result = ExpandMacroText(source.c_str(), output, TaskId(task), context);
        if (fit) {
            *fit = result;
        } else {
            EXPECT_TRUE(result) << source;
        }
        return output;
    }
};

void SetTask(TaskSettings& task, const std::string& workingDir, const std::string& program)
{
    std::strcpy(task.WorkingDir, workingDir.c_str());
    std::strcpy(task.Program, program.c_str());
}

}  // namespace

TEST(MacroValues, TheExampleMomentAndTheMachine)
{
    Expander expand;
    struct Case {
        const char* source;
        const char* expected;
    } cases[] = {
        {"%YEAR%", "2026"},
        {"%MONTH%", "12"},
        {"%DAY%", "05"},
        {"%DATE%", "20261205"},
        {"%HOUR%", "14"},
        {"%MINUTE%", "07"},
        {"%MINUTETENS%", "0"},
        {"%MINUTEONES%", "7"},
        {"%SECOND%", "09"},
        {"%TIME%", "140709"},
        {"%WEEKDAY%", "7"},
        {"%MYDOCUMENTS%", "C:\\Users\\me\\Documents"},
        {"%PROGRAMDIR%", "C:\\Tools"},
        {"%PROGRAMFILES%", "C:\\Program Files"},
        {"%PROGRAMNAME%", "Stowlet"},
        {"%SYSTEMDIR%", "C:\\Windows\\system32"},
        {"%SYSTEMDRIVE%", "C:\\"},
        {"%SYSTEMDRIVE%\\x", "C:\\\\x"},  // the drive keeps its own backslash
        {"%TEMPDIR%", "C:\\Users\\me\\Temp"},
        {"%USERNAME%", "me"},
        {"%COMPUTERNAME%", "BUILDER"},
        {"%WINDIR%", "C:\\Windows"},
        {"%PROCESSID%", "4242"},
        {"%ERRORCODE%", "0"},
        {"%ERRORTEXT%", "All is well.\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(expand(c.source), c.expected) << c.source;
}

TEST(MacroValues, EdgesOfTheClockAndOfTheSystemAnswers)
{
    MacroValues values;
    SystemTexts rootAndFailures = {nullptr, "Stowlet.exe", "", nullptr, "C:", "D:\\", nullptr, nullptr, nullptr};
    FormatMacroValues({999, 1, 0, 31, 0, 59, 0}, rootAndFailures, values);
    EXPECT_STREQ(values.Text[MacroYear], "999");
    EXPECT_STREQ(values.Text[MacroDate], "9990131");
    EXPECT_STREQ(values.Text[MacroTime], "005900");
    EXPECT_STREQ(values.Text[MacroMinuteTens], "5");
    EXPECT_STREQ(values.Text[MacroMinuteOnes], "9");
    EXPECT_STREQ(values.Text[MacroWeekday], "1");
    EXPECT_STREQ(values.Text[MacroTempDir], "D:");  // a drive's root loses its backslash
    EXPECT_STREQ(values.Text[MacroSystemDrive], "C:");
    EXPECT_STREQ(values.Text[MacroProgramDir], "");  // a path without a folder
    for (MacroId id : {MacroMyDocuments, MacroProgramFiles, MacroProgramName, MacroUserName, MacroWinDir})
        EXPECT_STREQ(values.Text[id], "") << MacroNames[id];

    std::string tooLong(PathCapacity, 'x');
    SystemTexts longAnswers = Machine;
    longAnswers.TempDir = tooLong.c_str();
    FormatMacroValues(Saturday, longAnswers, values);
    EXPECT_STREQ(values.Text[MacroTempDir], "");  // never a cut folder
}

TEST(ExpandMacros, NamesOccurrencesAndOrder)
{
    Expander expand;
    struct Case {
        const char* source;
        const char* processId;
        const char* expected;
    } cases[] = {
        {"bak_%DATE%_%TIME%_%DATE%.zip", "1", "bak_20261205_140709_20261205.zip"},
        {"%date% %Date% %FOO% %% %", "1", "%date% %Date% %FOO% %% %"},
        {"%DAY%%DAY%%DAY%", "1", "050505"},
        {"%%YEAR%%", "1", "%2026%"},
        // A value holding a later name is expanded by that later step, an earlier one is not.
        {"%PROCESSID%", "%WINDIR%|%YEAR%|%ERRORCODE%", "C:\\Windows|%YEAR%|0"},
        // An empty value removes every occurrence, even the one left as the whole text.
        {"%PROCESSID%%PROCESSID%", "", ""},
        {"a%PROCESSID%b%PROCESSID%", "", "ab"},
        // A value holding its own name is inserted once; the search goes on after it.
        {"<%PROCESSID%><%PROCESSID%>", "%PROCESSID%", "<%PROCESSID%><%PROCESSID%>"},
        {"%PROCESSID%", "x%PROCESSID%x", "x%PROCESSID%x"},
    };
    for (const Case& c : cases) {
        expand.processId = c.processId;
        EXPECT_EQ(expand(c.source), c.expected) << c.source;
    }
}

TEST(ExpandMacros, SelfReferenceOfAFixedValueTerminates)
{
    SystemTexts machine = Machine;
    machine.TempDir = "C:\\%TEMPDIR%\\";
    Expander expand(machine);
    EXPECT_EQ(expand("%TEMPDIR%|%TEMPDIR%"), "C:\\%TEMPDIR%|C:\\%TEMPDIR%");
}

TEST(ExpandMacros, ErrorCodeAndText)
{
    Expander expand;
    expand.errorCode = -5;
    EXPECT_EQ(expand("%ERRORCODE%:%ERRORTEXT%"), "-5:All is well.\r\n");
    expand.errorCode = 99;
    EXPECT_EQ(expand("%ERRORCODE%:%ERRORTEXT%"), "99:%ERRORTEXT%");  // no text: the name stays
}

TEST(ExpandMacros, TheWholeTextUpToItsCapacity)
{
    Expander expand;
    const size_t most = 4095;  // UTF-16 units
    std::string greek;         // 4090 Greek letters: 8180 bytes of UTF-8, 4090 units
    for (int i = 0; i < 4090; ++i) greek += "\xCE\xB1";
    struct Case {
        std::string source;
        bool fit;
        std::string expected;
    } cases[] = {
        // Replacements far beyond the first thousand characters.
        {std::string(4000, 'a') + "%YEAR%" + std::string(80, 'b'), true,
         std::string(4000, 'a') + "2026" + std::string(80, 'b')},
        // Growing to exactly the capacity fits; one character more does not.
        {std::string(most - 8, 'a') + "%DATE%", true, std::string(most - 8, 'a') + "20261205"},
        {std::string(most - 7, 'a') + "%DATE%", false, ""},
        {std::string(most - 11, 'a') + "%PROCESSID%", true, std::string(most - 11, 'a')},
        {std::string(most, 'a'), true, std::string(most, 'a')},
        // The limit counts UTF-16 units, not bytes.
        {greek + "%HOUR%", true, greek + "14"},
        // Past the limit the text shows cut at 4092 units and marked: "..." makes 4095.
        {greek + "%DATE%", false, greek + "20..."},
        {std::string(most + 1, 'a'), false, ""},
    };
    expand.processId = "";
    for (const Case& c : cases) {
        bool fit = false;
        std::string output = expand(c.source, 1, &fit);
        EXPECT_EQ(fit, c.fit) << c.source.size();
        EXPECT_LT(output.size(), sizeof(TaskSettings::Program));  // never past the buffer
        if (!c.expected.empty()) {
            EXPECT_EQ(output, c.expected);
        }
    }
    // Many growing replacements: stops cleanly at the capacity.
    std::string many;
    while (many.size() + 6 < most) many += "%DATE%";
    bool fit = true;
    std::string output = expand(many, 1, &fit);
    EXPECT_FALSE(fit);
    EXPECT_LT(output.size(), sizeof(TaskSettings::Program));
}

TEST(ReplaceAll, BoundsAndEmptyNames)
{
    char small[8] = "ab%X%";
    EXPECT_TRUE(ReplaceAll(small, "%X%", "1234"));
    EXPECT_STREQ(small, "ab1234");
    EXPECT_FALSE(ReplaceAll(small, "1234", "123456"));  // 8 characters do not fit 8 bytes
    EXPECT_STREQ(small, "ab1234");
    EXPECT_TRUE(ReplaceAll(small, "", "x"));
    EXPECT_STREQ(small, "ab1234");
    char unterminated[4] = {'a', 'b', 'c', 'd'};
    EXPECT_FALSE(ReplaceAll(unterminated, "b", "x"));
}

TEST(GitBranch, HeadTexts)
{
    struct Case {
        const char* head;
        const char* expected;
    } cases[] = {
        {"ref: refs/heads/main\n", "main"},
        {"ref: refs/heads/feature/x\n", "x"},
        {"ref: refs/heads/main\r\n", "main\r"},  // only one closing character goes
        {"ref: refs/heads/main", "main"},
        {"ref: refs/heads/main\n\n", "main\n"},
        {"0123456789abcdef0123456789abcdef01234567\n", "ErrorGitHeadText"},
        {"", "ErrorGitHeadText"},
        {"\n", "ErrorGitHeadText"},
        {"/main", "ErrorGitHeadText"},  // the first character is not looked at
        {"a/", ""},
        {"ref: refs/heads/%GITBRANCHNAME%\n", "%GITBRANCHNAME%"},
    };
    for (const Case& c : cases) {
        char branch[TextCapacity];
        GitBranchFromHead(c.head, branch);
        EXPECT_STREQ(branch, c.expected) << c.head;
    }
}

TEST(GitBranch, FolderOfTheTaskAndItsFailures)
{
    Expander expand;
    const std::string longFolder = "C:\\" + std::string(250, 'd');
    struct Case {
        const char* name;
        std::string workingDir;
        std::string program;
        std::string expected;
        std::string pathRead;  // empty: no file may be read
    } cases[] = {
        {"working dir", "C:\\repo", "C:\\Tools\\app.exe", "main", "C:\\repo\\.git\\HEAD"},
        {"working dir with backslash", "C:\\repo\\", "", "main", "C:\\repo\\.git\\HEAD"},
        {"program folder", "", "C:\\repo\\bin\\app.exe", "bin", "C:\\repo\\bin\\.git\\HEAD"},
        {"bare program: current directory", "", "app.exe", "here", ".git\\HEAD"},
        {"macro in the working dir", "%TEMPDIR%\\w", "", "temp", "C:\\Users\\me\\Temp\\w\\.git\\HEAD"},
        {"working dir naming the branch", "C:\\%GITBRANCHNAME%", "", "ErrorOpenGitPath",
         "C:\\%GITBRANCHNAME%\\.git\\HEAD"},
        {"no working copy", "C:\\nothing", "", "ErrorOpenGitPath", "C:\\nothing\\.git\\HEAD"},
        {"working dir expanding to empty", "%PROCESSID%", "C:\\repo\\x.exe", "main", "C:\\repo\\.git\\HEAD"},
        {"nothing to go by", "", "", "NoExecutePath", ""},
        {"path too long for a file name", longFolder, "", "ErrorOpenGitPath", ""},
        {"text at its capacity", std::string(TextCapacity - 1, 'd'), "", "ErrorOpenGitPath", ""},
        {"program in a long folder", "", longFolder + "\\app.exe", "ErrorOpenGitPath", ""},
    };
    Files = {{"C:\\repo\\.git\\HEAD", "ref: refs/heads/main\n"},
             {"C:\\repo\\bin\\.git\\HEAD", "ref: refs/heads/bin\n"},
             {".git\\HEAD", "ref: refs/heads/here\n"},
             {"C:\\Users\\me\\Temp\\w\\.git\\HEAD", "ref: refs/heads/temp\n"}};
    expand.processId = "";
    static TaskSettings task;
    for (const Case& c : cases) {
        SetTask(task, c.workingDir, c.program);
        expand.tasks.Main = task;
        PathsRead.clear();
        EXPECT_EQ(expand("[%GITBRANCHNAME%]"), "[" + c.expected + "]") << c.name;
        if (c.pathRead.empty()) {
            EXPECT_TRUE(PathsRead.empty()) << c.name;
        } else {
            EXPECT_EQ(PathsRead, std::vector<std::string>{c.pathRead}) << c.name;
        }
    }
}

TEST(GitBranch, TaskSelectorAndFreshReads)
{
    Expander expand;
    SetTask(expand.tasks.Previous, "C:\\prev", "");
    SetTask(expand.tasks.Main, "C:\\main", "");
    Files = {{"C:\\prev\\.git\\HEAD", "ref: refs/heads/p\n"}, {"C:\\main\\.git\\HEAD", "ref: refs/heads/m\n"}};
    EXPECT_EQ(expand("%GITBRANCHNAME%", 0), "p");
    EXPECT_EQ(expand("%GITBRANCHNAME%", 1), "m");
    EXPECT_EQ(expand("%GITBRANCHNAME%", 7), "m");
    PathsRead.clear();
    EXPECT_EQ(expand("%GITBRANCHNAME%", -1), "%GITBRANCHNAME%");
    EXPECT_EQ(expand("no branch here", 1), "no branch here");
    EXPECT_TRUE(PathsRead.empty());
    Files["C:\\main\\.git\\HEAD"] = "ref: refs/heads/switched\n";
    EXPECT_EQ(expand("%GITBRANCHNAME%/%GITBRANCHNAME%", 1), "switched/switched");
    // Only the first GitHeadReadLimit bytes count.
    Files["C:\\main\\.git\\HEAD"] = "ref: refs/heads/" + std::string(GitHeadReadLimit - 17, 'a') + "/" + "late";
    EXPECT_EQ(expand("%GITBRANCHNAME%", 1), "");
    // A branch that does not fit the text is reported, never cut.
    Files["C:\\main\\.git\\HEAD"] = "ref: refs/heads/" + std::string(3000, 'b') + "\n";
    bool fit = true;
    expand(std::string(1200, 'x') + "%GITBRANCHNAME%", 1, &fit);
    EXPECT_FALSE(fit);
}
