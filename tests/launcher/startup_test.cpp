// The choice of the run: end to end through a renamed copy of Stowlet.exe, and in-process
// with the key state and the command line injected (keys pressed from outside never reach
// a fresh process's GetKeyState under Wine).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "launcher/startup.h"
#include "launcher/startup_core.h"
#include "support/runner.h"

namespace {

const char* const SyntaxText =
    "SYNTAX:\n\nStowlet [program] [parameters] [TIMEOUT=seconds] [TERM] [UNHIDE] [SHOW=1]\n\nTIMEOUT\n\tIf after the "
    "specified number of seconds,\n\tthe launched program has not terminated,\n\tit will be forcefully terminated.\n"
    "TERM\n\tIf you did not specify a TIMEOUT value,\n\tbut you find the program is still running hidden,\n\tyou may "
    "terminate the program by specifying the TERM option,\n\tor you may unhide the program by specifying the UNHIDE "
    "option.\n\tFor example:\n\n\tStowlet MyProgram TERM\n\n\tThis will kill all instances of MYPROGRAM.EXE\nUNHIDE\n\t"
    "If program is running: Unhide and bring window to top.\n\nSHOW\n\tFor debugging: when True or 1 shows the program "
    "to execute.\n\nOPTIONAL INI FILE\n\tOptions and parameters can be taken from Stowlet.ini\n\n\tDo you need more "
    "info about Stowlet.ini?";

const char* const ExampleText =
    "[OPTIONS]\n\t;Section where the parameters will be localized.\nProgram=notepad\n\t;The Program to execute.\n"
    "Parameters=readme.txt\n\t;The Parameter(s) to pass to the program to execute.\nTimeout=0\n\t;Seconds to wait "
    "until kill the executed program. When zero this option is disable.\nTerm=0\n\t;when term=1 the application "
    "kills any instance of the previously executed program.\nUnhide=0\n\t;when Unhide=1 any instance of the "
    "previously executed program is unhidden.\nShow=0\n\t;when Show=1 the application DO NOT hide the Program to "
    "execute.\n\n\n;Note 1:\n;\tThe ini file is formed from application name; so if you rename Stowlet.exe\n;\tto, "
    "by example, Stowftp.exe the expected ini file will be Stowftp.ini\n;Note 2:\n;\tCommand line argument are "
    "ignored when an ini file is found.\n;Note 3:\n;\tTo open the Graphical user interface window press and hold "
    "CTRL key then RUN Stowlet.exe \n;Note 4:\n;\tTo copy the entire contents of THIS (or any) message box Press "
    "CTRL+C\n\n\tDo you want to Enter in GRAPHICAL mode now?";

void ExpectSyntaxBox(const BoxSeen& box)
{
    EXPECT_EQ(box.caption, "Stowlet /?");
    EXPECT_EQ(box.text, SyntaxText);
    EXPECT_EQ(box.buttons.size(), 2u);
    EXPECT_EQ(box.owner, nullptr);
}

}  // namespace

TEST(StartupRun, HelpBoxesWithoutSettingsOrArguments)
{
    // No: the first box alone, exit code 0.
    RunResult no = RunStowlet({});
    ASSERT_TRUE(no.started);
    EXPECT_FALSE(no.timedOut);
    EXPECT_EQ(no.exitCode, 0u);
    ASSERT_EQ(no.boxes.size(), 1u);
    ExpectSyntaxBox(no.boxes[0]);

    // Yes, then No: the example box, exit code 0.
    RunOptions yesNo;
    yesNo.answers = {IDYES, IDNO};
    RunResult example = RunStowlet(yesNo);
    EXPECT_EQ(example.exitCode, 0u);
    ASSERT_EQ(example.boxes.size(), 2u);
    ExpectSyntaxBox(example.boxes[0]);
    EXPECT_EQ(example.boxes[1].caption, "The Stowlet initialization file example (stowlet.ini).");
    EXPECT_EQ(example.boxes[1].text, ExampleText);
}

TEST(StartupRun, RenamedCopyReadsItsOwnSettingsFileAndKeepsItsTexts)
{
    // Stowftp.exe with Stowftp.ini beside it: settings-file mode, no help.
    RunOptions own;
    own.exeName = "Stowftp.exe";
    own.ini = "[OPTIONS]\n";
    RunResult withOwn = RunStowlet(own);
    EXPECT_EQ(withOwn.exitCode, 0u);
    EXPECT_TRUE(withOwn.boxes.empty());

    // Stowftp.exe beside a Stowlet.ini only: that file is not its settings file, so the help
    // boxes show, still naming Stowlet.
    TempFolder folder;
    ASSERT_TRUE(WriteWholeFile(folder / "Stowlet.ini", "[OPTIONS]\n"));
    RunOptions other;
    other.exeName = "Stowftp.exe";
    other.folder = folder.Path();
    RunResult withOther = RunStowlet(other);
    EXPECT_EQ(withOther.exitCode, 0u);
    ASSERT_EQ(withOther.boxes.size(), 1u);
    ExpectSyntaxBox(withOther.boxes[0]);
}

TEST(StartupRun, HelpRequestWinsOverTheSettingsFile)
{
    for (const char* request : {"/?", "-?"}) {
        RunOptions options;
        options.ini = "[OPTIONS]\nProgram=should-not-run\n";
        options.arguments = request;
        RunResult result = RunStowlet(options);
        EXPECT_EQ(result.exitCode, 0u);
        ASSERT_EQ(result.boxes.size(), 1u) << request;
        ExpectSyntaxBox(result.boxes[0]);
    }
}

TEST(StartupRun, CommandTooLongIsRefusedWithABox)
{
    RunOptions options;
    options.arguments = "notepad " + std::string(5000, 'a');
    RunResult result = RunStowlet(options);
    EXPECT_EQ(result.exitCode, 0u);
    ASSERT_EQ(result.boxes.size(), 1u);
    EXPECT_EQ(result.boxes[0].caption, "Error when executing");
    EXPECT_EQ(result.boxes[0].text,
              "The command line is too long: the program or its parameters exceed 4095 characters.\n"
              "Nothing was started.");
}

// In-process: RunStartup with an injected key state and command line.
namespace {

int16_t keys[256];
std::string askedKeys;
std::string commandLine;

int16_t InjectedKeyState(int key)
{
    askedKeys += std::to_string(key) + " ";
    return keys[key & 0xFF];
}
const char* InjectedCommandLine() { return commandLine.c_str(); }

class ChoiceOfTheRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = gSeams;
        gSeams = {InjectedKeyState, InjectedCommandLine};
        std::memset(keys, 0, sizeof keys);
        askedKeys.clear();
        std::string self = BuiltProgram("");
        char path[MAX_PATH];
        GetModuleFileNameA(nullptr, path, sizeof path);
        settings_ = std::string(path, std::strlen(path) - 3) + "ini";
        commandLine = "\"" + std::string(path) + "\"";
        DeleteFileA(settings_.c_str());
    }
    void TearDown() override
    {
        gSeams = saved_;
        DeleteFileA(settings_.c_str());
    }
    void HoldCtrl(bool alone = true)
    {
        keys[VK_CONTROL] = int16_t(0x8000);
        if (!alone) keys[VK_SHIFT] = int16_t(0x8000);
    }
    // Runs RunStartup on this thread while a watcher answers its boxes.
    int32_t Run(std::vector<int> answers = {})
    {
        BoxWatcher watcher(GetCurrentProcessId(), std::move(answers));
        int32_t result = RunStartup(values_);
        watcher.Stop();
        boxes_ = watcher.Boxes();
        return result;
    }
    StartupSeams saved_{};
    StartupValues values_{};
    std::string settings_;
    std::vector<BoxSeen> boxes_;
};

}  // namespace

TEST_F(ChoiceOfTheRun, StartupValuesFollowTheProgramsPath)
{
    ComputeStartupValues(values_);
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    EXPECT_STREQ(values_.ModulePath, path);
    EXPECT_STREQ(values_.OwnPath, path);
    EXPECT_EQ(values_.SettingsFilePath, settings_);
    EXPECT_STREQ(values_.OwnName, "test_launcher_startup");
}

TEST_F(ChoiceOfTheRun, CtrlAloneOpensTheSettingsWindow)
{
    HoldCtrl();
    EXPECT_EQ(Run(), 1);  // no settings file, no argument
    EXPECT_TRUE(boxes_.empty());

    ASSERT_TRUE(WriteWholeFile(settings_, "[OPTIONS]\n"));
    askedKeys.clear();
    commandLine += " some-program TERM";
    EXPECT_EQ(Run(), 1);  // a settings file: even with a program on the command line
    EXPECT_EQ(askedKeys, "17 16 18 43 32 ");
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(ChoiceOfTheRun, CtrlWithAnotherKeyShowsTheHelp)
{
    HoldCtrl(false);
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, "Stowlet /?");

    // Yes twice: the settings window is asked for.
    EXPECT_EQ(Run({IDYES, IDYES}), 1);
    EXPECT_EQ(boxes_.size(), 2u);
}

TEST_F(ChoiceOfTheRun, CommandLineModeDoesNotLookAtTheKeys)
{
    HoldCtrl();
    std::string own = commandLine;
    commandLine = own + " no-such-program-for-stowlet-tests";
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(askedKeys, "");
}

TEST_F(ChoiceOfTheRun, AnEmptyFirstArgumentIsNoCommand)
{
    HoldCtrl();
    commandLine += " \"\" -?";  // no settings file: the keys decide
    EXPECT_EQ(Run(), 1);
    askedKeys.clear();
    ASSERT_TRUE(WriteWholeFile(settings_, "[OPTIONS]\n"));
    keys[VK_CONTROL] = 0;
    EXPECT_EQ(Run(), 0);  // with one: settings-file mode, only CTRL asked
    EXPECT_EQ(askedKeys, "17 ");
    EXPECT_TRUE(boxes_.empty());
}
