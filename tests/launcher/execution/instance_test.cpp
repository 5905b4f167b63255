// Instance control in-process: finding by file name, the four modes for Windows and console
// programs, the bounded window wait, the main thread and bringing a window to the front.
#include <gtest/gtest.h>

#include <cctype>

#include "execution_target.h"
#include "launcher/instance.h"

namespace {

std::string Upper(std::string text)
{
    for (char& c : text) c = char(toupper(static_cast<unsigned char>(c)));
    return text;
}

// A top-level window of this process's own thread.
struct OwnWindow {
    HWND window;
    explicit OwnWindow(const char* caption)
    {
        window = CreateWindowExA(0, "STATIC", caption, WS_OVERLAPPED | WS_VISIBLE, 0, 0, 100, 50, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    }
    ~OwnWindow() { DestroyWindow(window); }
};

std::string OwnStartupTitle()
{
    STARTUPINFOA own;
    own.cb = sizeof own;
    GetStartupInfoA(&own);
    return own.lpTitle ? own.lpTitle : "";
}

}  // namespace

TEST(Instance, FindsByFileNameIgnoringCaseAndAddsExe)
{
    Target target(ProbeFlavour::Gui, "find", "Stay=30\n");
    std::string name = target.probe.fileName.substr(0, target.probe.fileName.size() - 4);
    EXPECT_EQ(FindInstance(target.probe.path.c_str(), ModeQuery), 0u);  // not running
    DWORD pid = ProbePid(target.Start(SW_SHOWNORMAL));

    // A copy of the same name in another folder matches the running one by its file name.
    TempFolder other;
    std::string otherCopy = other / Upper(target.probe.fileName);
    ASSERT_TRUE(CopyFileA(target.probe.path.c_str(), otherCopy.c_str(), FALSE));
    std::string programs[] = {
        target.probe.path,
        target.folder / Upper(name),  // no extension, other letter case
        other / name,                 // not running from there
    };
    for (const std::string& program : programs) EXPECT_EQ(FindInstance(program.c_str(), ModeQuery), pid) << program;
    EXPECT_EQ(FindInstance((target.folder / "exec_nothing_here").c_str(), ModeQuery), 0u);
    EXPECT_EQ(FindInstance("", ModeQuery), 0u);
}

// Each mode's effect on the instance found; ModeQuery touches nothing.
TEST(Instance, ModesOnAWindowsProgram)
{
    Target target(ProbeFlavour::Gui, "modes", "Stay=30\n");
    HWND window = ProbeWindow(target.Start(SW_SHOWNORMAL));
    const char* program = target.probe.path.c_str();
    ASSERT_TRUE(IsWindowVisible(window));

    struct Step {
        int32_t mode;
        bool visible;
    } steps[] = {
        {ModeQuery, true}, {ModeHide, false}, {ModeQuery, false}, {ModeShow, true}, {ModeHide, false}, {ModeShow, true},
    };
    DWORD pid = ProcessesNamed(target.probe.fileName).at(0);
    for (const Step& step : steps) {
        EXPECT_EQ(FindInstance(program, step.mode), pid) << step.mode;
        EXPECT_EQ(IsWindowVisible(window) != FALSE, step.visible) << step.mode;
    }

    EXPECT_EQ(FindInstance(program, ModeTerminate), pid);
    EXPECT_TRUE(ProcessesNamed(target.probe.fileName).empty());  // gone when the call returns
    EXPECT_EQ(FindInstance(program, ModeTerminate), 0u);
}

TEST(Instance, ShowRestoresAMinimisedInstance)
{
    Target target(ProbeFlavour::Gui, "minim", "Stay=30\nMinimize=1\n");
    HWND window = ProbeWindow(target.Start(SW_SHOWNORMAL));
    ASSERT_TRUE(IsIconic(window));
    DWORD pid = FindInstance(target.probe.path.c_str(), ModeShow);
    EXPECT_NE(pid, 0u);
    EXPECT_FALSE(IsIconic(window));
    EXPECT_TRUE(IsWindowVisible(window));
}

// The window wait ends when a window comes, when the process ends, or at the limit.
TEST(Instance, ShowInstanceWindowWaitIsBounded)
{
    struct Case {
        const char* settings;
        int32_t handled;
        DWORD minimumMs, maximumMs;
    } cases[] = {
        {"Stay=30\nWindowDelay=1000\n", 1, 800, 4000},                                    // waits for a late window
        {"Stay=1\nWindow=0\n", 0, 0, 4000},                                               // ends with the process
        {"Stay=30\nWindow=0\n", 0, ShowInstanceWaitLimit, ShowInstanceWaitLimit + 3000},  // the limit
    };
    for (const Case& c : cases) {
        if (SlowStarts && c.minimumMs >= ShowInstanceWaitLimit) continue;
        SCOPED_TRACE(c.settings);
        Target target(ProbeFlavour::Gui, "bound", c.settings);
        DWORD pid = StartProbe(target.probe, SW_HIDE);
        ASSERT_NE(pid, 0u);
        DWORD start = GetTickCount();
        EXPECT_EQ(ShowInstanceWindow(pid, ModeHide), c.handled);
        DWORD elapsed = GetTickCount() - start;
        EXPECT_GE(elapsed, c.minimumMs);
        EXPECT_LT(elapsed, c.maximumMs);
    }
    EXPECT_EQ(ShowInstanceWindow(0xFFFFFFF0u, ModeShow), 0);  // no such process: nothing to wait for
}

// With no instance of its own running, a console program stands for the window captioned with
// this process's start-up title when it is queried, hidden or shown; it is never ended by that
// caption, only by its file name.
TEST(Instance, ConsoleProgramIsFoundByTheStartupTitle)
{
    std::string title = OwnStartupTitle();
    if (title.empty()) GTEST_SKIP() << "this process was started without a title";
    TempFolder folder;
    Probe console = PlaceProbe(folder, ProbeFlavour::Console, UniqueTargetName("con"));
    const char* program = console.path.c_str();
    EXPECT_EQ(FindInstance(program, ModeQuery), 0u);  // no window bears the title

    {
        OwnWindow own(title.c_str());
        ASSERT_TRUE(own.window);
        EXPECT_EQ(FindInstance(program, ModeQuery), GetCurrentProcessId());
        EXPECT_TRUE(IsWindowVisible(own.window));
        EXPECT_EQ(FindInstance(program, ModeHide), GetCurrentProcessId());
        EXPECT_FALSE(IsWindowVisible(own.window));
        EXPECT_EQ(FindInstance(program, ModeShow), GetCurrentProcessId());
        EXPECT_TRUE(IsWindowVisible(own.window));
        EXPECT_EQ(FindInstance(program, ModeTerminate), 0u);
    }

    Target holder(ProbeFlavour::Gui, "conhold", "Stay=30\nCaption=" + title + "\n");
    ASSERT_NE(holder.Start(SW_SHOWNORMAL).size(), 0u);
    EXPECT_EQ(FindInstance(program, ModeTerminate), 0u);
    EXPECT_EQ(ProcessesNamed(holder.probe.fileName).size(), 1u);
}

TEST(Instance, OldestThreadAndBringToFront)
{
    EXPECT_EQ(OldestThreadOf(GetCurrentProcessId()), GetCurrentThreadId());
    EXPECT_EQ(OldestThreadOf(0xFFFFFFF0u), 0u);

    EXPECT_EQ(BringToFront(nullptr), 0u);
    EXPECT_EQ(BringToFront(reinterpret_cast<HWND>(ULONG_PTR(0x7FFFFFF0))), 0u);
    OwnWindow own("exec front");
    EXPECT_EQ(BringToFront(own.window), GetCurrentProcessId());
    // Which window is in front is not asked: other programs share this desktop and may take
    // the foreground at any moment.

    Target target(ProbeFlavour::Gui, "front", "Stay=30\n");
    HWND window = ProbeWindow(target.Start(SW_SHOWNORMAL));
    EXPECT_EQ(BringToFront(window), ProcessesNamed(target.probe.fileName).at(0));
}
