// Settings-file mode end to end: a renamed copy of Stowlet.exe with an INI beside it, its
// prompts answered from a script, the probe program as the task's target.
#include <gtest/gtest.h>

#include <string>

#include "helpers/probe_report.h"
#include "support/runner.h"

namespace {

RunResult RunWithIni(const TempFolder& folder, const std::string& ini, std::vector<int> answers = {},
                     bool captureDebug = false)
{
    RunOptions options;
    options.folder = folder.Path();
    options.ini = ini;
    options.answers = std::move(answers);
    options.captureDebug = captureDebug;
    return RunStowlet(options);
}

}  // namespace

TEST(TaskSequence, ExecutePromptsCaptionsAndOpenings)
{
    TempFolder folder;
    struct Case {
        const char* keys;
        const char* caption;
        const char* opening;
    } cases[] = {
        {"AskExecute=1\r\nShow=1\r\nTimeout=30\r\n", "MAIN TASK: Please confirm [TIMEOUT=30]",
         "Execute and SHOW the application?\n\n"},
        {"AskExecute=1\r\nTerm=1\r\nTimeout=30\r\n", "MAIN TASK: Please confirm", "TERMINATE application?\n\n"},
        {"AskExecute=1\r\nUnhide=1\r\n", "MAIN TASK: Please confirm", "UNHIDE application?\n\n"},
        // "TRUE" reads as 5, which starts the program shown: the prompt says so.
        {"AskExecute=1\r\nShow=true\r\nTimeout=4\r\n", "MAIN TASK: Please confirm [TIMEOUT=4]",
         "Execute and SHOW the application?\n\n"},
    };
    for (const Case& c : cases) {
        RunResult run = RunWithIni(folder, Section("OPTIONS", "Program=notepad\r\n" + std::string(c.keys)), {IDNO});
        SCOPED_TRACE(c.keys);
        EXPECT_EQ(run.exitCode, 0u);
        ASSERT_EQ(run.boxes.size(), 1u);
        EXPECT_EQ(run.boxes[0].caption, c.caption);
        EXPECT_EQ(run.boxes[0].text, std::string(c.opening) + "notepad");
        EXPECT_TRUE(run.boxes[0].exStyle & WS_EX_TOPMOST);
        EXPECT_EQ(run.boxes[0].buttons.size(), 2u);
    }
}

TEST(TaskSequence, NoSkipsOnlyItsOwnStepAndTheCopyAfterAsksAgain)
{
    TempFolder folder;
    ASSERT_TRUE(CreateDirectoryA((folder / "src").c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(folder / "src\\a.txt", "a"));
    Probe target = PlaceProbe(folder, ProbeFlavour::Gui, "tasks_noskip");
    std::string ini = Section("OPTIONS", "Program=" + target.path +
                                             "\r\nParameters=one %DATE%\r\nAskExecute=1\r\n"
                                             "CopySource=" +
                                             folder.Path() + "\\src\\a.txt\r\nCopyTarget=" + folder.Path() +
                                             "\\dst\\\r\nCopyAfterExecute=1\r\nAskCopy=1\r\nCopyBeforeExecute=1\r\n");
    RunResult run = RunWithIni(folder, ini, {IDNO, IDNO, IDYES});
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.boxes.size(), 2u);  // the copy before asks nothing: AskCopyBefore is 0
    EXPECT_EQ(run.boxes[0].caption, "MAIN TASK: Please confirm");
    EXPECT_EQ(
        run.boxes[0].text.find("Execute application in HIDDEN mode?\n\n" + target.path + "\n\nParameters:\n\none "),
        0u);
    EXPECT_EQ(run.boxes[1].text,
              "Copy file(s)?\n\n" + folder.Path() + "\\src\\a.txt\n\nTo\n\n" + folder.Path() + "\\dst\\");
    EXPECT_TRUE(ReadProbeRecords(target.report).empty());  // No: nothing started
    EXPECT_TRUE(FileExists(folder / "dst\\a.txt"));        // copied before, without a prompt
    EndProcessesNamed(target.fileName);
}

TEST(TaskSequence, EachTaskUsesItsOwnCopySettingsAndGitRule)
{
    TempFolder folder;
    for (const char* dir : {"src", "src\\sub", "src\\.git", "repo", "repo\\.git"})
        ASSERT_TRUE(CreateDirectoryA((folder / dir).c_str(), nullptr));
    for (const char* file : {"src\\top.txt", "src\\sub\\deep.txt", "src\\.git\\config"})
        ASSERT_TRUE(WriteWholeFile(folder / file, file));
    ASSERT_TRUE(WriteWholeFile(folder / "repo\\.git\\HEAD", "ref: refs/heads/feature/demo\n"));
    std::string base = folder.Path();
    std::string ini = Section("PREVIOUS", "CopySource=" + base + "\\src\r\nCopyTarget=" + base +
                                              "\\prev\\%GITBRANCHNAME%\r\n"
                                              "WorkingDir=" +
                                              base + "\\repo\r\nCopyAfterExecute=1\r\nCopySubFolders=1\r\n") +
                      Section("OPTIONS", "CopySource=" + base + "\\src\\\r\nCopyTarget=" + base +
                                             "\\main\\%PROCESSID%\r\n"
                                             "CopyBeforeExecute=1\r\nCopySubFolders=0\r\n");
    RunResult run = RunWithIni(folder, ini);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.boxes.empty());
    // The previous task: its branch as the folder, subfolders walked, .git skipped.
    EXPECT_TRUE(FileExists(folder / "prev\\demo\\top.txt"));
    EXPECT_TRUE(FileExists(folder / "prev\\demo\\sub\\deep.txt"));
    EXPECT_FALSE(FileExists(folder / "prev\\demo\\.git"));
    // The main task: its own settings (no subfolders); %PROCESSID% is 0 with no previous program.
    EXPECT_TRUE(FileExists(folder / "main\\0\\top.txt"));
    EXPECT_FALSE(FileExists(folder / "main\\0\\sub"));
}

// %PROCESSID% is the previous program's running instance, found by its file name whether it is
// a Windows or a console program; a later task's parameters and paths carry it.
TEST(TaskSequence, ProcessIdIsThePreviousProgramsRunningInstance)
{
    for (ProbeFlavour flavour : {ProbeFlavour::Gui, ProbeFlavour::Console}) {
        bool console = flavour == ProbeFlavour::Console;
        SCOPED_TRACE(console ? "console" : "windows");
        TempFolder folder;
        Probe previous = PlaceProbe(folder, flavour, console ? "tasks_pid_con" : "tasks_pid_prev", "Stay=30\r\n");
        Probe later = PlaceProbe(folder, ProbeFlavour::Gui, "tasks_pid_later");
        DWORD pid = StartProbe(previous, SW_HIDE);
        ASSERT_NE(pid, 0u);
        ASSERT_EQ(WaitForProbeRecords(previous.report, "start", 1, 10000).size(), 1u);
        ASSERT_TRUE(CreateDirectoryA((folder / "src").c_str(), nullptr));
        ASSERT_TRUE(WriteWholeFile(folder / "src\\f.txt", "f"));
        std::string base = folder.Path();
        // The previous task asks first and is told No: its instance is only looked up.
        std::string ini = Section("PREVIOUS", "Program=" + previous.path + "\r\nAskExecute=1\r\n") +
                          Section("OPTIONS", "Program=" + later.path + "\r\nParameters=pid %PROCESSID%\r\n" +
                                                 "CopySource=" + base + "\\src\\f.txt\r\nCopyTarget=" + base +
                                                 "\\by-pid\\%PROCESSID%\\\r\nCopyAfterExecute=1\r\n");
        RunResult run = RunWithIni(folder, ini, {IDNO});
        EXPECT_EQ(run.exitCode, 0u);
        ASSERT_EQ(run.boxes.size(), 1u);
        EXPECT_EQ(run.boxes[0].caption, "PREVIOUS TASK: Please confirm");
        auto starts = WaitForProbeRecords(later.report, "start", 1, 10000);
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(starts[0]["commandline"], later.path + " pid " + std::to_string(pid));
        EXPECT_TRUE(FileExists(folder / ("by-pid\\" + std::to_string(pid) + "\\f.txt")));
        EndProcessesNamed(previous.fileName);
        EndProcessesNamed(later.fileName);
    }
}

TEST(TaskSequence, HiddenProgramEndsAtItsTimeout)
{
    TempFolder folder;
    Probe target = PlaceProbe(folder, ProbeFlavour::Gui, "tasks_timeout", "Stay=60\r\n");
    std::string ini =
        Section("OPTIONS", "Program=" + target.path + "\r\nParameters=--job \"nightly run\"\r\nTimeout=2\r\n");
    DWORD start = GetTickCount();
    RunResult run = RunWithIni(folder, ini);
    DWORD elapsed = GetTickCount() - start;
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_GE(elapsed, 2000u);
    auto starts = ReadProbeRecords(target.report, "start");
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0]["commandline"], target.path + " --job \"nightly run\"");
    EXPECT_EQ(starts[0]["showwindow"], "0");
    EXPECT_TRUE(ReadProbeRecords(target.report, "exit").empty());  // terminated, not ended by itself
    EXPECT_TRUE(WaitUntilNoneNamed(target.fileName, 5000));
}

TEST(TaskSequence, CutOrUnexpandableFieldsAreNeverUsed)
{
    TempFolder folder;
    Probe target = PlaceProbe(folder, ProbeFlavour::Gui, "tasks_cut");
    ASSERT_TRUE(CreateDirectoryA((folder / "src").c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(folder / "src\\f.txt", "f"));
    std::string base = folder.Path();
    // Parameters longer than the field: the program step shows the error and starts nothing.
    // A copy target that grows past 4095 characters once expanded: refused on the debug channel.
    std::string manyDates;
    while (manyDates.size() < 3600) manyDates += "%DATE%";  // 600 dates of eight digits: 4,800 characters
    std::string ini = Section("OPTIONS", "Program=" + target.path + "\r\nParameters=" + std::string(5000, 'p') +
                                             "\r\nCopySource=" + base + "\\src\\f.txt\r\nCopyTarget=" + base + "\\" +
                                             manyDates + "\r\nCopyBeforeExecute=1\r\n");
    RunResult run = RunWithIni(folder, ini, {}, true);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_FALSE(run.crashed);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].caption, "Error when executing");
    EXPECT_TRUE(ReadProbeRecords(target.report).empty());
    ASSERT_EQ(run.debugLines.size(), 3u);
    EXPECT_EQ(run.debugLines[0], "Stowlet.SingleCopy Source: " + base + "\\src\\f.txt");
    EXPECT_EQ(run.debugLines[2], "Stowlet.SingleCopy Error code 206");
}

TEST(TaskSequence, OddSettingsFilesEndQuietly)
{
    TempFolder folder;
    std::string garbage;
    for (int i = 0; i < 70000; ++i) garbage += char((i * 7919) & 0xFF);
    const std::string inis[] = {
        "", "; neither section\r\n[OTHER]\r\nProgram=notepad\r\n", garbage,
        Section("OPTIONS", "Program=\r\nCopyBeforeExecute=1\r\nAskCopyBefore=1\r\n"),  // empty source: no prompt
    };
    for (const std::string& ini : inis) {
        RunResult run = RunWithIni(folder, ini);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_FALSE(run.timedOut);
        EXPECT_TRUE(run.boxes.empty());
    }
    // A folder in the settings file's place: settings-file mode with nothing in it.
    TempFolder other;
    ASSERT_TRUE(CreateDirectoryA((other / "Stowlet.ini").c_str(), nullptr));
    RunOptions options;
    options.folder = other.Path();
    RunResult run = RunStowlet(options);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.boxes.empty());
}
