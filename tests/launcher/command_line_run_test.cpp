// Command-line mode end to end: a renamed copy of Stowlet.exe starts, terminates and unhides
// probe programs placed beside it, and its boxes are read.
#include <gtest/gtest.h>

#include "support/execution_target.h"
#include "support/runner.h"

namespace {

// A copy of Stowlet beside the target: the search finds a bare target name there.
RunResult RunBeside(const Target& target, const std::string& arguments, bool keepChildren = false,
                    DWORD timeoutMs = 30000)
{
    RunOptions options;
    options.folder = target.folder.Path();
    options.exeName = "exec_cl.exe";
    options.arguments = arguments;
    options.keepChildren = keepChildren;
    options.timeoutMs = timeoutMs;
    return RunStowlet(options);
}

struct WindowSearch {
    std::string name;
    HWND found;
};

// A visible top-level window whose caption holds the name.
BOOL CALLBACK FindWindowNaming(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    if (!IsWindowVisible(window) || WindowText(window).find(search.name) == std::string::npos) return TRUE;
    search.found = window;
    return FALSE;
}

}  // namespace

// What a hidden or shown target receives, for both kinds of program. The program text has no
// extension and no folder: the search adds ".exe" and finds it beside Stowlet.
TEST(CommandLineRun, TargetReceivesCommandLineDirectoryAndStartupRecord)
{
    struct Case {
        ProbeFlavour flavour;
        const char* show;
        const char* showWindow;
    } cases[] = {
        {ProbeFlavour::Gui, "", "0"},
        {ProbeFlavour::Gui, " SHOW=1", "1"},
        {ProbeFlavour::Console, "", "0"},
    };
    for (const Case& c : cases) {
        bool gui = c.flavour == ProbeFlavour::Gui;
        SCOPED_TRACE(std::string(gui ? "gui" : "console") + c.show);
        Target run(c.flavour, gui ? "recv_gui" : "recv_con", "Stay=20\n");
        RunResult result = RunBeside(run, run.Name() + " a \"b c\",d TIMEOUT=0" + c.show, true);
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_TRUE(result.boxes.empty());
        auto starts = WaitForProbeRecords(run.probe.report, "start", 1, 10000);
        ASSERT_EQ(starts.size(), 1u);
        const ProbeRecord& start = starts[0];
        EXPECT_EQ(start.at("commandline"), run.probe.path + " a b c d");
        EXPECT_EQ(start.at("currentdir"), run.folder.Path());
        EXPECT_EQ(start.at("flags"), "129");  // STARTF_USESHOWWINDOW | STARTF_FORCEOFFFEEDBACK
        EXPECT_EQ(start.at("showwindow"), c.showWindow);
        if (gui) {
            // No title is handed to a Windows program; the system then fills in its path.
            EXPECT_NE(start.at("title"), run.Name());
            // The window stays as started: hidden, or shown and left running after TIMEOUT=0.
            EXPECT_EQ(IsWindowVisible(ProbeWindow(start)) != FALSE, c.showWindow[0] == '1');
        } else {
            EXPECT_EQ(start.at("title"), run.Name());  // the program text, as given
            EXPECT_EQ(start.at("consoletitle"), run.Name());
            HWND console = ProbeWindow(start);
            if (console) {
                EXPECT_FALSE(IsWindowVisible(console));  // Wine may make no console window
            }
        }
        EXPECT_EQ(ProcessesNamed(run.probe.fileName).size(), 1u);  // TIMEOUT=0 does not end it
    }
}

// A program that shows its window whatever it was asked: the window is hidden once it is idle.
TEST(CommandLineRun, HiddenStartHidesAWindowShownAnyway)
{
    Target run(ProbeFlavour::Gui, "showsanyway", "Stay=20\nShowCommand=1\n");
    RunResult result = RunBeside(run, run.Name() + " TIMEOUT=0", true);
    EXPECT_EQ(result.exitCode, 0u);
    auto starts = WaitForProbeRecords(run.probe.report, "start", 1, 10000);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].at("visible"), "1");  // it did show itself
    EXPECT_FALSE(IsWindowVisible(ProbeWindow(starts[0])));
}

// A folder given as the program opens in a shell window; nothing else is started.
TEST(CommandLineRun, FolderOpensInAShellWindow)
{
    Target run(ProbeFlavour::Gui, "folder", "");
    std::string name = UniqueTargetName("folder_dir");
    std::string folder = run.folder / name;
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    // keepChildren: the shell window lives on after Stowlet ends, until the result goes away.
    RunResult result = RunBeside(run, "\"" + folder + "\" TIMEOUT=1", true);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(result.boxes.empty());
    WindowSearch search{name, nullptr};
    DWORD start = GetTickCount();
    // The shell's window comes up in a process of its own: emulated, that took over 10 s once.
    const DWORD bound = SlowStarts ? 40000 : 15000;
    while (!search.found && GetTickCount() - start < bound) {
        EnumWindows(FindWindowNaming, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(50);
    }
    ASSERT_TRUE(search.found) << "no window names " << name;
    PostMessageA(search.found, WM_CLOSE, 0, 0);
}

// A hidden target still running at the time-out is ended; a shown one is left running.
TEST(CommandLineRun, TimeoutEndsOnlyAHiddenTarget)
{
    for (bool shown : {false, true}) {
        SCOPED_TRACE(shown ? "shown" : "hidden");
        Target run(ProbeFlavour::Gui, shown ? "to_shown" : "to_hidden", "Stay=30\n");
        // The idle wait counts against the time-out: the emulated build needs longer to get as
        // far as its first record.
        DWORD seconds = SlowStarts ? 6 : 2;
        DWORD start = GetTickCount();
        RunResult result =
            RunBeside(run, run.Name() + " TIMEOUT=" + std::to_string(seconds) + (shown ? " SHOW=1" : ""), true);
        DWORD elapsed = GetTickCount() - start;
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_GE(elapsed, seconds * 1000);
        EXPECT_LT(elapsed, seconds * 1000 + 13000);
        // A shown target is not waited for past the time-out: under load its first record can
        // come after Stowlet has ended.
        ASSERT_EQ(WaitForProbeRecords(run.probe.report, "start", 1, 15000).size(), 1u);
        EXPECT_EQ(ProcessesNamed(run.probe.fileName).size(), shown ? 1u : 0u);
    }
}

// TERM ends every running instance and starts nothing; with SHOW it is ignored.
TEST(CommandLineRun, TermEndsEveryInstanceUnlessShowIsGiven)
{
    Target run(ProbeFlavour::Gui, "term", "Stay=30\n");
    for (int i = 0; i < 3; ++i) ASSERT_NE(StartProbe(run.probe, SW_HIDE), 0u);
    ASSERT_EQ(WaitForProbeRecords(run.probe.report, "start", 3, 15000).size(), 3u);
    ASSERT_EQ(ProcessesNamed(run.probe.fileName).size(), 3u);

    RunResult term = RunBeside(run, run.Name() + " TERM");
    EXPECT_EQ(term.exitCode, 0u);
    EXPECT_TRUE(ProcessesNamed(run.probe.fileName).empty());
    EXPECT_EQ(ReadProbeRecords(run.probe.report, "start").size(), 3u);  // nothing new started

    // TERM SHOW=1: the running instance is shown, not ended, and nothing new is started.
    HWND window = ProbeWindow(run.Start(SW_HIDE));
    ASSERT_TRUE(window);
    ASSERT_FALSE(IsWindowVisible(window));
    RunResult shown = RunBeside(run, run.Name() + " TERM SHOW=1");
    EXPECT_EQ(shown.exitCode, 0u);
    EXPECT_EQ(ProcessesNamed(run.probe.fileName).size(), 1u);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(ReadProbeRecords(run.probe.report, "start").size(), 4u);
}

TEST(CommandLineRun, UnhideShowsARunningInstanceAndStartsNothing)
{
    Target run(ProbeFlavour::Gui, "unhide", "Stay=30\n");
    RunResult none = RunBeside(run, run.Name() + " UNHIDE");
    EXPECT_EQ(none.exitCode, 0u);
    EXPECT_TRUE(none.boxes.empty());
    EXPECT_TRUE(ReadProbeRecords(run.probe.report).empty());
    EXPECT_TRUE(ProcessesNamed(run.probe.fileName).empty());

    HWND window = ProbeWindow(run.Start(SW_HIDE));
    ASSERT_TRUE(window);
    ASSERT_FALSE(IsWindowVisible(window));
    RunResult unhide = RunBeside(run, run.Name() + " UNHIDE");
    EXPECT_EQ(unhide.exitCode, 0u);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(ReadProbeRecords(run.probe.report, "start").size(), 1u);
}

// A program the search cannot find: the system's text, a line feed and the program text.
TEST(CommandLineRun, MissingProgramGetsTheErrorBox)
{
    Target run(ProbeFlavour::Gui, "missing", "");
    std::string program = UniqueTargetName("nosuch");
    RunResult result = RunBeside(run, program + " a b");
    EXPECT_EQ(result.exitCode, 0u);
    ASSERT_EQ(result.boxes.size(), 1u);
    EXPECT_EQ(result.boxes[0].caption, "Error when executing");
    char systemText[260] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_FILE_NOT_FOUND,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), systemText, sizeof systemText, nullptr);
    // The box control shows line breaks as they were given; compare without any CR the
    // control may add or drop.
    auto plain = [](std::string text) {
        std::string out;
        for (char c : text)
            if (c != '\r') out += c;
        return out;
    };
    EXPECT_EQ(plain(result.boxes[0].text), plain(std::string(systemText) + "\n" + program));
}

// A hidden program that never becomes idle (no message loop, or hung after showing its
// window) is still ended at the time-out; with none, Stowlet gives up waiting within its idle
// bound and returns, leaving the program running. Stay=60 outlasts every wait here, so a
// program gone at once was ended by the time-out.
TEST(CommandLineRun, NeverIdleProgramStillMeetsTheTimeout)
{
    // Long enough for the program to get as far as its first record, even emulated or on a
    // loaded machine (3 s was not, once, beside two builds).
    const char* timeout = SlowStarts ? " TIMEOUT=12" : " TIMEOUT=8";
    struct Case {
        const char* purpose;
        const char* settings;
        const char* timeout;
    } cases[] = {
        {"worker", "Stay=60\nWindow=0\nHang=1\n", timeout},
        {"hung", "Stay=60\nHang=1\n", timeout},
        {"worker_nt", "Stay=60\nWindow=0\nHang=1\n", ""},
        {"hung_nt", "Stay=60\nHang=1\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.purpose);
        Target run(ProbeFlavour::Gui, c.purpose, c.settings);
        // Bounded well past the ten seconds of the idle bound, for a loaded machine.
        RunResult result = RunBeside(run, run.Name() + c.timeout, true, 45000);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitCode, 0u);
        ASSERT_EQ(WaitForProbeRecords(run.probe.report, "start", 1, 15000).size(), 1u);
        if (c.timeout[0]) {
            EXPECT_TRUE(WaitUntilNoneNamed(run.probe.fileName, 10000));
        } else {
            EXPECT_EQ(ProcessesNamed(run.probe.fileName).size(), 1u);
        }
    }
}

// cmd /c of a batch file: at the time-out the program the batch file is waiting for ends with
// cmd; a program the batch file started on its own and left running outlives a cmd that ended
// in time, and Stowlet's return.
TEST(CommandLineRun, TimeoutEndsWhatABatchFileStarted)
{
    Target hung(ProbeFlavour::Console, "bat_hung", "Stay=60\n");
    std::string hungBatch = hung.folder / "hung.cmd";
    WriteWholeFile(hungBatch, "@\"" + hung.probe.path + "\"\r\n");
    // Long enough for cmd and the program to have started, even emulated or on a loaded
    // machine (5 s was not, once, beside two builds).
    std::string timeout = SlowStarts ? " TIMEOUT=20" : " TIMEOUT=12";
    RunResult timedOut = RunBeside(hung, "cmd /c " + hungBatch + timeout, true, 45000);
    EXPECT_FALSE(timedOut.timedOut);
    EXPECT_TRUE(timedOut.boxes.empty());
    ASSERT_EQ(WaitForProbeRecords(hung.probe.report, "start", 1, 15000).size(), 1u);
    EXPECT_TRUE(WaitUntilNoneNamed(hung.probe.fileName, 10000));

    Target kept(ProbeFlavour::Console, "bat_kept", "Stay=60\n");
    std::string keptBatch = kept.folder / "kept.cmd";
    WriteWholeFile(keptBatch, "@start \"\" \"" + kept.probe.path + "\"\r\n");
    RunResult inTime = RunBeside(kept, "cmd /c " + keptBatch + " TIMEOUT=30", true, 45000);
    EXPECT_FALSE(inTime.timedOut);
    ASSERT_EQ(WaitForProbeRecords(kept.probe.report, "start", 1, 15000).size(), 1u);
    EXPECT_EQ(ProcessesNamed(kept.probe.fileName).size(), 1u);
}

// TERM of a console program ends every instance of its file name, whatever folder it runs
// from, and nothing else; UNHIDE shows the console of one started hidden.
TEST(CommandLineRun, TermAndUnhideFindConsolePrograms)
{
    Target run(ProbeFlavour::Console, "cterm", "Stay=60\n");
    TempFolder elsewhere;
    Probe twin = PlaceProbe(elsewhere, ProbeFlavour::Console, run.Name(), "Stay=60\n");
    Target other(ProbeFlavour::Console, "cterm_other", "Stay=60\n");
    ASSERT_NE(StartProbe(run.probe, SW_HIDE), 0u);
    ASSERT_NE(StartProbe(twin, SW_HIDE), 0u);
    ASSERT_NE(StartProbe(other.probe, SW_HIDE), 0u);
    ASSERT_EQ(WaitForProbeRecords(run.probe.report, "start", 1, 15000).size(), 1u);
    ASSERT_EQ(WaitForProbeRecords(twin.report, "start", 1, 15000).size(), 1u);
    ASSERT_EQ(WaitForProbeRecords(other.probe.report, "start", 1, 15000).size(), 1u);
    ASSERT_EQ(ProcessesNamed(run.probe.fileName).size(), 2u);

    RunResult term = RunBeside(run, run.Name() + " TERM");
    EXPECT_FALSE(term.timedOut);
    EXPECT_TRUE(ProcessesNamed(run.probe.fileName).empty());
    EXPECT_EQ(ProcessesNamed(other.probe.fileName).size(), 1u);
    EXPECT_EQ(ReadProbeRecords(run.probe.report, "start").size(), 1u);  // nothing new started

    RunResult hidden = RunBeside(run, run.Name() + " TIMEOUT=0", true);
    auto starts = WaitForProbeRecords(run.probe.report, "start", 2, 15000);
    ASSERT_EQ(starts.size(), 2u);
    HWND console = ProbeWindow(starts.back());
    if (console) {
        EXPECT_FALSE(IsWindowVisible(console));
    }
    RunResult unhide = RunBeside(run, run.Name() + " UNHIDE");
    EXPECT_FALSE(unhide.timedOut);
    EXPECT_EQ(ProcessesNamed(run.probe.fileName).size(), 1u);
    if (console) {  // Wine may make no console window at all
        EXPECT_TRUE(IsWindowVisible(console));
        ShowWindow(console, SW_HIDE);
    }
}

// A time-out past what the wait holds waits the longest time, never a wrapped short one: seconds
// whose milliseconds pass 32 bits (not a wrapped 0.7 s), and digits that pass 32 bits themselves
// (not a wrapped 1 s). Stowlet is still waiting, and the program still running, when the run's
// bound is reached.
TEST(CommandLineRun, HugeTimeoutDoesNotWrap)
{
    for (const char* seconds : {"4294968", "4294967297"}) {
        SCOPED_TRACE(seconds);
        Target run(ProbeFlavour::Gui, "huge", "Stay=60\n");
        RunResult result = RunBeside(run, run.Name() + " TIMEOUT=" + seconds, true, 8000);
        EXPECT_TRUE(result.timedOut);
        ASSERT_EQ(WaitForProbeRecords(run.probe.report, "start", 1, 15000).size(), 1u);
        EXPECT_EQ(ProcessesNamed(run.probe.fileName).size(), 1u);
    }
}

// A program that lives only in the native system folder starts by bare name and by the full
// path a 64-bit shell would use, from either build. (For the 32-bit build on a 64-bit system
// that folder is hidden behind its own; the 64-bit build sees it directly.)
TEST(CommandLineRun, ProgramInTheNativeSystemFolderStarts)
{
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof windows);
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, sizeof system);
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    std::string name = UniqueTargetName("native");
    std::string placed = std::string(windows) + (wow64 ? "\\Sysnative\\" : "\\System32\\") + name + ".exe";
    ASSERT_TRUE(CopyFileA(BuiltProgram("probe_console.exe").c_str(), placed.c_str(), FALSE)) << placed;
    // The probe reads its settings through the view of its own build, as this test writes them.
    std::string settings = std::string(system) + "\\" + name + ".exe.probe";
    Target run(ProbeFlavour::Console, "native_beside", "");
    std::string report = run.folder / "native.report";
    WriteWholeFile(settings, "[probe]\r\nReport=" + report + "\r\n");

    std::string programs[] = {name, std::string(windows) + "\\system32\\" + name + ".exe"};
    size_t runs = 0;
    for (const std::string& program : programs) {
        SCOPED_TRACE(program);
        RunResult result = RunBeside(run, program + " TIMEOUT=10");
        EXPECT_TRUE(result.boxes.empty());
        EXPECT_EQ(WaitForProbeRecords(report, "start", ++runs, 15000).size(), runs);
    }
    EndProcessesNamed(name + ".exe");
    DeleteFileA(settings.c_str());
    DeleteFileA(placed.c_str());
}

// EXITCODE: the exit code of the step, by the system's codes (2 not found, 1460 ERROR_TIMEOUT)
// or the program's own; without it 0. With no time-out the launcher waits for the program's end,
// so the probe's exit record is there when it returns.
TEST(CommandLineRun, ExitCodeTellsTheProgramsOutcomeWhenAskedFor)
{
    const std::string timeout = SlowStarts ? "TIMEOUT=8" : "TIMEOUT=2";
    struct Case {
        const char* purpose;
        const char* settings;
        std::string options;
        DWORD code;
        bool exitRecorded;
    } cases[] = {
        {"ec_seven", "Window=0\nExitCode=7\n", "TIMEOUT=30 EXITCODE", 7, true},
        {"ec_unasked", "Window=0\nExitCode=7\n", "TIMEOUT=30", 0, true},
        {"ec_timeout", "Stay=30\n", timeout + " exitcode", 1460, false},
        {"ec_waits", "Stay=3\nExitCode=5\n", "EXITCODE", 5, true},
        {"ec_clean", "Window=0\n", "EXITCODE", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.purpose);
        Target run(ProbeFlavour::Gui, c.purpose, c.settings);
        RunResult result = RunBeside(run, run.Name() + " " + c.options, false, 60000);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitCode, c.code);
        EXPECT_EQ(ReadProbeRecords(run.probe.report, "exit").size(), c.exitRecorded ? 1u : 0u);
    }
    Target missing(ProbeFlavour::Gui, "ec_missing", "");
    RunResult result = RunBeside(missing, UniqueTargetName("nosuch") + " EXITCODE");
    EXPECT_EQ(result.exitCode, DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(result.boxes.size(), 1u);
}
