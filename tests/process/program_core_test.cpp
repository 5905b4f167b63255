#include <gtest/gtest.h>

#include <string>

#include "process/program_core.h"

TEST(ProgramCore, ActionFollowsTermUnhideShow)
{
    struct Case {
        bool term, unhide, show;
        LaunchAction action;
    } cases[] = {
        {false, false, false, LaunchAction::Execute},     {true, false, false, LaunchAction::TerminateInstances},
        {true, true, false, LaunchAction::ShowInstance},  {true, false, true, LaunchAction::ShowInstance},
        {false, true, false, LaunchAction::ShowInstance}, {false, false, true, LaunchAction::ShowInstance},
        {false, true, true, LaunchAction::ShowInstance},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseLaunchAction(c.term, c.unhide, c.show), c.action) << c.term << c.unhide << c.show;
}

// A hidden start waits for the program to become idle and hides its window within one budget:
// the time-out when there is one, else ten seconds; what is spent is gone.
TEST(ProgramCore, StartWaitBudget)
{
    EXPECT_EQ(StartWaitBudget(0), 10000u);
    EXPECT_EQ(StartWaitBudget(0xFFFFFFFFu), 10000u);
    EXPECT_EQ(StartWaitBudget(3000), 3000u);
    EXPECT_EQ(StartWaitBudget(0xFFFFFFFEu), 0xFFFFFFFEu);
    struct Case {
        uint32_t budget, elapsed, left;
    } cases[] = {
        {3000, 0, 3000}, {3000, 2999, 1}, {3000, 3000, 0}, {3000, 70000, 0}, {0xFFFFFFFEu, 1, 0xFFFFFFFDu},
    };
    for (const Case& c : cases) EXPECT_EQ(WaitLeft(c.budget, c.elapsed), c.left) << c.budget << " " << c.elapsed;
}

TEST(ProgramCore, RecipePerExecutableType)
{
    struct Case {
        uint32_t exeType;
        uint32_t flags;
        bool module, title;
        ProgramKind kind;
    } cases[] = {
        {0, 0x04000000, true, true, ProgramKind::None},
        {0x030A454E, 0x04000820, false, false, ProgramKind::Windows},  // NE, Windows 3.10
        {0x00005A4D, 0x04000830, true, true, ProgramKind::Console},    // MZ
        {0x00004550, 0x04000030, true, true, ProgramKind::Console},    // PE console
        {0x06004550, 0x04000020, true, false, ProgramKind::Windows},   // PE Windows 6.0
        {0x04004550, 0x04000020, true, false, ProgramKind::Windows},
        {0x00001234, 0x04000020, true, false, ProgramKind::Console},  // unknown signature
    };
    for (const Case& c : cases) {
        StartRecipe recipe = RecipeForExeType(c.exeType);
        EXPECT_EQ(recipe.creationFlags, c.flags) << std::hex << c.exeType;
        EXPECT_EQ(recipe.passModuleName, c.module) << std::hex << c.exeType;
        EXPECT_EQ(recipe.passTitle, c.title) << std::hex << c.exeType;
        EXPECT_EQ(KindOfExeType(c.exeType), c.kind) << std::hex << c.exeType;
    }
}

TEST(ProgramCore, WorkingDirectoryIsTheFoundFolderOrTheGivenOne)
{
    struct Case {
        const char* modulePath;
        const char* workingDir;
        const char* expected;
    } cases[] = {
        {"C:\\windows\\notepad.exe", nullptr, "C:\\windows"},
        {"C:\\windows\\notepad.exe", "", "C:\\windows"},
        {"C:\\app.exe", nullptr, "C:"},  // a root-folder program gets the bare drive
        {"\\\\server\\share\\app.exe", nullptr, "\\\\server\\share"},
        {"app.exe", nullptr, ""},
        {"C:\\windows\\notepad.exe", "D:\\work", "D:\\work"},
    };
    for (const Case& c : cases) {
        char directory[64];
        EXPECT_TRUE(WorkingDirectoryFor(c.modulePath, c.workingDir, directory, sizeof directory));
        EXPECT_STREQ(directory, c.expected);
    }
    std::string longDir(100, 'd');
    char small[64];
    EXPECT_FALSE(WorkingDirectoryFor("C:\\x.exe", longDir.c_str(), small, sizeof small));
}

TEST(ProgramCore, CommandLineJoinsPathAndParametersOrRefusesToCut)
{
    struct Case {
        const char* modulePath;
        const char* parameters;
        const char* expected;
    } cases[] = {
        {"C:\\windows\\notepad.exe", "a b", "C:\\windows\\notepad.exe a b"},
        {"C:\\windows\\notepad.exe", "", "C:\\windows\\notepad.exe"},
        {"C:\\windows\\notepad.exe", nullptr, "C:\\windows\\notepad.exe"},
        {"C:\\Program Files\\App\\app.exe", "x", "\"C:\\Program Files\\App\\app.exe\" x"},
        {"C:\\Tab\tName\\app.exe", "", "\"C:\\Tab\tName\\app.exe\""},
    };
    for (const Case& c : cases) {
        char line[64];
        EXPECT_TRUE(JoinCommandLine(c.modulePath, c.parameters, line, sizeof line));
        EXPECT_STREQ(line, c.expected);
    }

    // Exactly full, one over, and a path with quotes one over: never a cut line.
    std::string path = "C:\\" + std::string(20, 'p') + ".exe";  // 27 characters
    char line[32];
    EXPECT_TRUE(JoinCommandLine(path.c_str(), "ab", line, sizeof line));   // 27 + 1 + 2 = 30 < 32
    EXPECT_TRUE(JoinCommandLine(path.c_str(), "abc", line, sizeof line));  // 31 characters: fits exactly
    EXPECT_FALSE(JoinCommandLine(path.c_str(), "abcd", line, sizeof line));
    EXPECT_STREQ(line, "");
    std::string blank = "C:\\a b\\" + std::string(20, 'p') + ".exe";  // 31 characters, quoted 33
    EXPECT_FALSE(JoinCommandLine(blank.c_str(), "", line, sizeof line));
    EXPECT_STREQ(line, "");

    // The product's own sizes: a 4095-character path and 4095 characters of parameters.
    std::string bigPath = "C:\\" + std::string(4092, 'x');
    std::string bigParameters(4095, 'y');
    static char big[4096];
    EXPECT_TRUE(JoinCommandLine(bigPath.c_str(), "", big, sizeof big));
    EXPECT_FALSE(JoinCommandLine(bigPath.c_str(), "y", big, sizeof big));
    EXPECT_FALSE(JoinCommandLine("C:\\x.exe", bigParameters.c_str(), big, sizeof big));
    EXPECT_STREQ(big, "");
    // The line's limit is 4095 UTF-16 units, however many bytes their UTF-8 takes.
    std::string greekPath = "C:\\";
    while (greekPath.size() < 3 + 2 * 4092) greekPath += "\xCE\xA9";
    static char wide[4095 * 3 + 1];
    EXPECT_TRUE(JoinCommandLine(greekPath.c_str(), "", wide, sizeof wide));
    EXPECT_FALSE(JoinCommandLine(greekPath.c_str(), "y", wide, sizeof wide));
    EXPECT_STREQ(wide, "");
}

TEST(ProgramCore, ErrorTextsNameTheProgramAndNeverOverflow)
{
    char text[4096];
    FormatExecuteError("The system cannot find the file specified.\r\n", 2, "nosuch", text, sizeof text);
    EXPECT_STREQ(text, "The system cannot find the file specified.\r\n\nnosuch");
    FormatExecuteError("", 1234, "nosuch", text, sizeof text);
    EXPECT_STREQ(text, "Error 1234\nnosuch");

    std::string longProgram(4095, 'q');
    FormatExecuteError("Text.", 2, longProgram.c_str(), text, sizeof text);
    EXPECT_EQ(std::string(text).size(), 4095u);
    EXPECT_EQ(std::string(text).substr(0, 6), "Text.\n");
    EXPECT_EQ(std::string(text).substr(4092), "...");

    FormatCommandTooLong("C:\\x.exe", text, sizeof text);
    EXPECT_NE(std::string(text).find("too long"), std::string::npos);
    EXPECT_NE(std::string(text).find("Nothing was started."), std::string::npos);
    EXPECT_EQ(std::string(text).substr(std::string(text).size() - 8), "C:\\x.exe");
    FormatCommandTooLong(longProgram.c_str(), text, sizeof text);
    EXPECT_EQ(std::string(text).substr(4092), "...");
}

TEST(ProgramCore, WindowQualification)
{
    struct Case {
        uint32_t main, thread;
        bool owner, parent, title, qualifies;
    } cases[] = {
        {7, 7, true, true, false, true},    // the main thread's window qualifies whatever it is
        {7, 8, false, false, true, false},  // another thread's does not
        {0, 8, false, false, true, true},   // no main thread known: unowned, parentless, titled
        {0, 8, true, false, true, false},  {0, 8, false, true, true, false}, {0, 8, false, false, false, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WindowQualifies(c.main, c.thread, c.owner, c.parent, c.title), c.qualifies)
            << c.main << " " << c.thread << c.owner << c.parent << c.title;
}
