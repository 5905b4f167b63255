// Command-line mode end to end: a renamed copy of Stowlet.exe starts, terminates and unhides
// probe programs placed beside it, and its boxes are read.
#include <gtest/gtest.h>

#include "execution_target.h"
#include "support/runner.h"

namespace {

// A copy of Stowlet beside the target: the search finds a bare target name there.
RunResult RunBeside(const Target& target, const std::string& arguments, bool keepChildren = false)
{
    RunOptions options;
    options.folder = target.folder.Path();
    options.exeName = "exec_cl.exe";
    options.arguments = arguments;
    options.keepChildren = keepChildren;
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
    while (!search.found && GetTickCount() - start < 10000) {
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
        DWORD start = GetTickCount();
        RunResult result = RunBeside(run, run.Name() + (shown ? " TIMEOUT=2 SHOW=1" : " TIMEOUT=2"), true);
        DWORD elapsed = GetTickCount() - start;
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_GE(elapsed, 2000u);
        EXPECT_LT(elapsed, 15000u);
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
