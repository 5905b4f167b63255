// The program step in-process: what a started program receives, the time-out, the refusal of
// a cut command line, the folder test, and that repeated use leaves no handle behind.
#include <gtest/gtest.h>

#include <vector>

#include "common/file_system.h"
#include "process/instance.h"
#include "process/program.h"
#include "support/boxes.h"
#include "support/execution_target.h"
#include "support/resource_counts.h"

namespace {

std::string CurrentDirectory()
{
    char directory[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof directory, directory);
    return std::string(directory, n);
}

}  // namespace

TEST(Program, TimeoutEndsAHiddenProgramAndReturnsZero)
{
    struct Case {
        int32_t show, timeout;
        bool returnsPid, keepsRunning;
        DWORD minimumMs, maximumMs;
    } cases[] = {
        {0, 2, false, false, 2000, 12000},  // hidden, still running at the time-out: ended
        {1, 1, true, true, 1000, 12000},    // shown: waited for, never ended
        {0, 0, true, true, 0, 6000},        // no time-out: returns once started, idle and hidden
        {0, -1, true, true, 0, 6000},       // 0xFFFFFFFF seconds: no wait either
    };
    for (const Case& c : cases) {
        if (SlowStarts && c.timeout == -1) continue;
        SCOPED_TRACE(testing::Message() << "show " << c.show << " timeout " << c.timeout);
        Target target(ProbeFlavour::Gui, "timeout", "Stay=30\n");
        DWORD start = GetTickCount();
        ProgramOutcome outcome;
        DWORD pid =
            LaunchProgram(target.probe.path.c_str(), "", nullptr, {false, false, c.show != 0, c.timeout, 0}, &outcome);
        DWORD elapsed = GetTickCount() - start;
        EXPECT_GE(elapsed, c.minimumMs);
        EXPECT_LT(elapsed, c.maximumMs);
        EXPECT_EQ(pid != 0, c.returnsPid);
        EXPECT_EQ(ProcessesNamed(target.probe.fileName).size(), c.keepsRunning ? 1u : 0u);
        EXPECT_EQ(outcome.End, c.keepsRunning ? ProgramEnd::StillRunning : ProgramEnd::EndedAtTimeout);
        if (pid) {
            EXPECT_EQ(ProbePid(WaitForProbeRecords(target.probe.report, "start", 1, 10000).at(0)), pid);
        }
    }
}

// The hide after a hidden start is for the program just started: an instance of the same
// program already running keeps its window.
TEST(Program, HiddenStartHidesTheStartedInstanceOnly)
{
    Target target(ProbeFlavour::Gui, "own", "Stay=30\nShowCommand=1\n");  // shows itself, whatever it is asked
    HWND earlier = ProbeWindow(target.Start(SW_SHOWNORMAL));
    ASSERT_TRUE(IsWindowVisible(earlier));
    DWORD pid = LaunchProgram(target.probe.path.c_str(), "", nullptr, {false, false, false, 0, 0});
    auto starts = WaitForProbeRecords(target.probe.report, "start", 2, 10000);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(ProbePid(starts[1]), pid);
    EXPECT_FALSE(IsWindowVisible(ProbeWindow(starts[1])));
    EXPECT_TRUE(IsWindowVisible(earlier));
}

// A program in a drive's root folder gets the bare drive as its working directory; a given
// working directory wins over the program's folder.
TEST(Program, WorkingDirectoryRules)
{
    Target target(ProbeFlavour::Console, "wd", "");
    std::string rootCopy = "C:\\" + target.probe.fileName;
    ASSERT_TRUE(CopyFileA(target.probe.path.c_str(), rootCopy.c_str(), FALSE));
    std::string report = target.probe.report;
    WriteWholeFile(rootCopy + ".probe", "[probe]\r\nReport=" + report + "\r\n");

    TempFolder other;
    struct Case {
        std::string program;
        const char* workingDir;
        std::string expected;
    } cases[] = {
        {target.probe.path, nullptr, target.folder.Path()},
        {target.probe.path, "", target.folder.Path()},
        {target.probe.path, other.Path().c_str(), other.Path()},
        // "C:" is the drive's current directory: this process's when it stands on C:, else
        // the root.
        {rootCopy, nullptr, CurrentDirectory().rfind("C:", 0) == 0 ? CurrentDirectory() : "C:\\"},
    };
    size_t runs = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program + " in " + (c.workingDir ? c.workingDir : "(none)"));
        EXPECT_NE(LaunchProgram(c.program.c_str(), "", c.workingDir, {false, false, false, 10, 0}),
                  0u);  // ends by itself
        auto starts = WaitForProbeRecords(report, "start", ++runs, 10000);
        ASSERT_EQ(starts.size(), runs);
        EXPECT_EQ(starts.back().at("currentdir"), c.expected);
    }
    DeleteFileA((rootCopy + ".probe").c_str());
    DeleteFileA(rootCopy.c_str());
}

// A found path and parameters that do not fit one command line: a box, and nothing started.
TEST(Program, CutCommandLineIsNeverStarted)
{
    Target target(ProbeFlavour::Console, "cut", "");
    std::string parameters(4095 - target.probe.path.size(), 'p');  // one character too many with the blank
    BoxWatcher boxes(GetCurrentProcessId(), {});
    EXPECT_EQ(ExecuteProgram(target.probe.path.c_str(), parameters.c_str(), nullptr, Visibility::Hidden, 0), 0u);
    ASSERT_TRUE(boxes.WaitFor(1, 0, 5000));
    auto seen = boxes.Boxes();
    EXPECT_EQ(seen.at(0).caption, "Error when executing");
    EXPECT_NE(seen.at(0).text.find("too long"), std::string::npos);
    EXPECT_NE(seen.at(0).text.find(target.probe.path), std::string::npos);
    EXPECT_TRUE(ReadProbeRecords(target.probe.report).empty());

    // One character less fits exactly and is started whole.
    parameters.pop_back();
    EXPECT_NE(ExecuteProgram(target.probe.path.c_str(), parameters.c_str(), nullptr, Visibility::Shown, 10000), 0u);
    auto starts = WaitForProbeRecords(target.probe.report, "start", 1, 10000);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].at("commandline"), target.probe.path + " " + parameters);
    EXPECT_EQ(boxes.Boxes().size(), 1u);
}

TEST(Program, FolderTestAnswersAndLeavesTheCurrentDirectoryAlone)
{
    TempFolder folder;
    std::string file = folder / "file.txt";
    WriteWholeFile(file, "x");
    std::string before = CurrentDirectory();
    std::string longPath = folder.Path() + "\\" + std::string(300, 'n');
    struct Case {
        std::string path;
        int32_t expected;
    } cases[] = {
        {folder.Path(), 1}, {folder.Path() + "\\", 1}, {file, 0}, {folder / "missing", 0}, {"", 0},
        {longPath, 0},  // longer than any path the ANSI calls accept: no folder, no overflow
        {".", 1},       // relative: judged against the current directory
        {"C:\\", 1},
    };
    for (const Case& c : cases) EXPECT_EQ(IsFolder(c.path.c_str()), c.expected) << c.path;
    EXPECT_EQ(IsFolder(static_cast<const char*>(nullptr)), 0);
    EXPECT_EQ(CurrentDirectory(), before);
}

// Launches and instance searches leave the process's handle count where it was.
TEST(Program, RepeatedUseLeavesNoHandles)
{
    Target gui(ProbeFlavour::Gui, "leak", "Stay=20\n");
    Target console(ProbeFlavour::Console, "leakc", "");
    auto round = [&] {
        DWORD pid = LaunchProgram(gui.probe.path.c_str(), "x", nullptr,
                                  {false, false, false, 0, 0});  // hidden, idle, hidden again
        EXPECT_NE(pid, 0u);
        EXPECT_EQ(FindInstance(gui.probe.path.c_str(), InstanceMode::Query), pid);
        EXPECT_EQ(FindInstance(gui.probe.path.c_str(), InstanceMode::Show), pid);
        EXPECT_NE(OldestThreadOf(pid), 0u);
        EXPECT_EQ(LaunchProgram(gui.probe.path.c_str(), "", nullptr, {true, false, false, 0, 0}), 0u);  // TERM
        EXPECT_NE(LaunchProgram(console.probe.path.c_str(), "", nullptr, {false, false, false, 10, 0}), 0u);
        EXPECT_EQ(FindInstance(console.probe.path.c_str(), InstanceMode::Query), 0u);
        EXPECT_EQ(LaunchProgram("exec_no_such_program_anywhere", "", nullptr, {true, false, false, 0, 0}), 0u);
    };
    // Wine 8's WaitForInputIdle leaves a handle open on every call (the system's own, not
    // the product's): measured on the bare calls, for the two idle waits of a round.
    auto bareRound = [&] {
        EXPECT_TRUE(BareIdleStart(gui.probe.path));
        EXPECT_TRUE(BareIdleStart(console.probe.path));
    };
    bareRound();
    DWORD bareBefore = OwnHandleCount();
    const int rounds = SlowStarts ? 2 : 3;
    for (int i = 0; i < rounds; ++i) bareRound();
    DWORD systemLeak = OwnHandleCount() - bareBefore;

    round();  // the first round loads what the calls need once for the whole process
    DWORD before = OwnHandleCount();
    ASSERT_NE(before, 0u);
    for (int i = 0; i < rounds; ++i) round();
    EXPECT_EQ(OwnHandleCount(), before + systemLeak) << "the system's calls alone leave " << systemLeak;
    EXPECT_TRUE(ProcessesNamed(gui.probe.fileName).empty());
}
