// Instance control in-process: finding by file name, the four modes for Windows and console
// programs, the bounded window wait, the main thread and bringing a window to the front.
#include <gtest/gtest.h>

#include <cctype>

#include "process/instance.h"
#include "support/execution_target.h"

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
    EXPECT_EQ(FindInstance(target.probe.path.c_str(), InstanceMode::Query), 0u);  // not running
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
    for (const std::string& program : programs)
        EXPECT_EQ(FindInstance(program.c_str(), InstanceMode::Query), pid) << program;
    EXPECT_EQ(FindInstance((target.folder / "exec_nothing_here").c_str(), InstanceMode::Query), 0u);
    EXPECT_EQ(FindInstance("", InstanceMode::Query), 0u);
}

// Each mode's effect on the instance found; InstanceMode::Query touches nothing.
TEST(Instance, ModesOnAWindowsProgram)
{
    Target target(ProbeFlavour::Gui, "modes", "Stay=30\n");
    HWND window = ProbeWindow(target.Start(SW_SHOWNORMAL));
    const char* program = target.probe.path.c_str();
    ASSERT_TRUE(IsWindowVisible(window));

    struct Step {
        InstanceMode mode;
        bool visible;
    } steps[] = {
        {InstanceMode::Query, true}, {InstanceMode::Hide, false}, {InstanceMode::Query, false},
        {InstanceMode::Show, true},  {InstanceMode::Hide, false}, {InstanceMode::Show, true},
    };
    DWORD pid = ProcessesNamed(target.probe.fileName).at(0);
    for (const Step& step : steps) {
        EXPECT_EQ(FindInstance(program, step.mode), pid) << int(step.mode);
        EXPECT_EQ(IsWindowVisible(window) != FALSE, step.visible) << int(step.mode);
    }

    EXPECT_EQ(FindInstance(program, InstanceMode::Terminate), pid);
    EXPECT_TRUE(ProcessesNamed(target.probe.fileName).empty());  // gone when the call returns
    EXPECT_EQ(FindInstance(program, InstanceMode::Terminate), 0u);
}

TEST(Instance, ShowRestoresAMinimisedInstance)
{
    Target target(ProbeFlavour::Gui, "minim", "Stay=30\nMinimize=1\n");
    HWND window = ProbeWindow(target.Start(SW_SHOWNORMAL));
    ASSERT_TRUE(IsIconic(window));
    DWORD pid = FindInstance(target.probe.path.c_str(), InstanceMode::Show);
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
        EXPECT_EQ(ShowInstanceWindow(pid, InstanceMode::Hide), c.handled);
        DWORD elapsed = GetTickCount() - start;
        EXPECT_GE(elapsed, c.minimumMs);
        EXPECT_LT(elapsed, c.maximumMs);
    }
    EXPECT_EQ(ShowInstanceWindow(0xFFFFFFF0u, InstanceMode::Show), 0);  // no such process: nothing to wait for
}

// A console program's instance is found by its file name when queried (as when it is ended):
// a window captioned with this process's start-up title is no instance of it. Hidden or shown
// with no console of its own to answer, it stands for that window; it is never ended by it.
TEST(Instance, ConsoleProgramIsQueriedByItsFileName)
{
    std::string title = OwnStartupTitle();
    if (title.empty()) GTEST_SKIP() << "this process was started without a title";
    Target console(ProbeFlavour::Console, "con", "Stay=30\n");
    const char* program = console.probe.path.c_str();

    {
        OwnWindow own(title.c_str());
        ASSERT_TRUE(own.window);
        EXPECT_EQ(FindInstance(program, InstanceMode::Query), 0u);  // not running: the title is not it
        EXPECT_TRUE(IsWindowVisible(own.window));
        EXPECT_EQ(FindInstance(program, InstanceMode::Hide), GetCurrentProcessId());
        EXPECT_FALSE(IsWindowVisible(own.window));
        EXPECT_EQ(FindInstance(program, InstanceMode::Show), GetCurrentProcessId());
        EXPECT_TRUE(IsWindowVisible(own.window));
        EXPECT_EQ(FindInstance(program, InstanceMode::Terminate), 0u);

        ProbeRecord started = console.Start(SW_HIDE);
        ASSERT_FALSE(started.empty());
        DWORD pid = ProcessesNamed(console.probe.fileName).at(0);
        EXPECT_EQ(FindInstance(program, InstanceMode::Query), pid);
    }

    Target holder(ProbeFlavour::Gui, "conhold", "Stay=30\nCaption=" + title + "\n");
    ASSERT_NE(holder.Start(SW_SHOWNORMAL).size(), 0u);
    EXPECT_NE(FindInstance(program, InstanceMode::Terminate), 0u);  // the console probe, by name
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

// TERM meets an instance it may not end (one whose security allows nobody to end it, as an
// elevated copy or another user's): it passes over that one, says so, and ends the others.
TEST(Instance, TermPassesOverAnInstanceItCannotEnd)
{
    Target target(ProbeFlavour::Gui, "guarded", "Stay=60\nWindow=0\n");
    ASSERT_FALSE(target.Start(SW_HIDE).empty());
    // An empty access list grants nobody anything; the handle CreateProcess gives its creator
    // still has every right, so the test can end it afterwards.
    SECURITY_DESCRIPTOR nobody;
    ASSERT_TRUE(InitializeSecurityDescriptor(&nobody, SECURITY_DESCRIPTOR_REVISION));
    ACL empty;
    ASSERT_TRUE(InitializeAcl(&empty, sizeof empty, ACL_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&nobody, TRUE, &empty, FALSE));
    SECURITY_ATTRIBUTES guarded = {sizeof guarded, &nobody, FALSE};
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created = {};
    std::wstring line = L"\"" + Utf16(target.probe.path) + L"\"";
    ASSERT_TRUE(
        CreateProcessW(nullptr, line.data(), &guarded, nullptr, FALSE, 0, nullptr, nullptr, &startup, &created));
    CloseHandle(created.hThread);
    ASSERT_EQ(WaitForProbeRecords(target.probe.report, "start", 2, 10000).size(), 2u);
    ASSERT_FALSE(target.Start(SW_HIDE).empty());

    ProgramOutcome outcome = {};
    TerminateInstances(target.probe.path.c_str(), outcome);
    EXPECT_EQ(outcome.Count, 2u);
    ASSERT_EQ(outcome.PassedOverCount, 1u);
    EXPECT_EQ(outcome.PassedOver[0].ProcessId, created.dwProcessId);
    EXPECT_EQ(outcome.PassedOver[0].Error, uint32_t(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ProcessesNamed(target.probe.fileName), std::vector<DWORD>{created.dwProcessId});
    TerminateProcess(created.hProcess, 0);
    WaitForSingleObject(created.hProcess, 10000);
    CloseHandle(created.hProcess);
}
