#include "window_session.h"

#include "launcher/startup.h"
#include "settings_window_of.h"
#include "support/boxes.h"
#include "ui/settings_dialog.h"

namespace {

constexpr UINT RunNow = WM_APP;         // lParam: a std::function<void()>* the sender owns
constexpr UINT RunQueued = WM_APP + 1;  // lParam: a std::function<void()>* this side deletes

LRESULT CALLBACK HelperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == RunNow) {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 1;
    }
    if (message == RunQueued) {
        auto* fn = reinterpret_cast<std::function<void()>*>(lParam);
        (*fn)();
        delete fn;
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

const char HelperClass[] = "StowletUiTestHelper";

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(5);
    }
    return true;
}

struct TopSearch {
    const char* windowClass;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<TopSearch*>(parameter);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == GetCurrentProcessId() && IsWindowVisible(window) && ClassOf(window) == search->windowClass)
        search->found.push_back(window);
    return TRUE;
}

}  // namespace

StartupValues& TestStartup()
{
    static StartupValues values;
    static bool computed = false;
    if (!computed) ComputeStartupValues(values);
    computed = true;
    return values;
}

WindowSession::WindowSession()
    : ready_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), closed_(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    thread_ = std::thread([this] { Run(); });
    if (WaitForSingleObject(ready_, 10000) != WAIT_OBJECT_0) return;
    // The window is up once it shows (after its initialisation) and its thread is back in the
    // dialog loop.
    // Under the 32-bit emulation a field of thousands of characters alone takes Wine's edit
    // control many seconds to set up (its caret placement), more on a loaded machine.
    const DWORD openLimit = 60000;
    if (!WaitUntil([this] { return SettingsWindowOfThread(threadId_) != nullptr; }, openLimit)) return;
    window_ = SettingsWindowOfThread(threadId_);
    if (!Settle(openLimit)) window_ = nullptr;
}

WindowSession::~WindowSession()
{
    if (!Closed() && window_) PostMessageA(window_, WM_CLOSE, 0, 0);
    if (!WaitClosed(10000)) {
        // A window that cannot be closed would hang the whole test program: end it now.
        fprintf(stderr, "the settings window did not close\n");
        fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    thread_.join();
    CloseHandle(ready_);
    CloseHandle(closed_);
}

void WindowSession::Run()
{
    WNDCLASSA helperClass = {};
    helperClass.lpfnWndProc = HelperProc;
    helperClass.hInstance = GetModuleHandleA(nullptr);
    helperClass.lpszClassName = HelperClass;
    RegisterClassA(&helperClass);  // fails harmlessly when already registered
    helper_ =
        CreateWindowExA(0, HelperClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr), nullptr);
    threadId_ = GetCurrentThreadId();
    SetEvent(ready_);
    RunSettingsDialog(TestStartup());
    // Queued work that arrived after the window closed still runs, so no sender waits in vain.
    MSG message;
    while (PeekMessageA(&message, helper_, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    SetEvent(closed_);
    DestroyWindow(helper_);
}

bool WindowSession::OnUi(const std::function<void()>& fn, DWORD timeoutMs)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(helper_, RunNow, 0, reinterpret_cast<LPARAM>(&fn), SMTO_NORMAL, timeoutMs, &result) &&
           result == 1;
}

void WindowSession::PostUi(std::function<void()> fn)
{
    PostMessageA(helper_, RunQueued, 0, reinterpret_cast<LPARAM>(new std::function<void()>(std::move(fn))));
}

bool WindowSession::Settle(DWORD timeoutMs)
{
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    PostUi([done] { SetEvent(done); });
    bool settled = WaitForSingleObject(done, timeoutMs) == WAIT_OBJECT_0;
    if (settled) CloseHandle(done);  // otherwise the queued call still owns it
    return settled;
}

namespace {

struct BoxSearch {
    HWND window;  // the settings window, which is a dialog too
    bool found;
};

BOOL CALLBACK NoteBox(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<BoxSearch*>(parameter);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (window == search.window || lstrcmpA(name, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    search.found = true;
    return FALSE;
}

}  // namespace

bool WindowSession::SettleAfterBoxes(DWORD timeoutMs)
{
    const DWORD thread = GetWindowThreadProcessId(window_, nullptr);
    const DWORD start = GetTickCount();
    // Each round trip lets the thread handle what the box's closing queued.
    while (Settle(timeoutMs)) {
        BoxSearch search = {window_, false};
        EnumThreadWindows(thread, NoteBox, reinterpret_cast<LPARAM>(&search));
        if (!search.found) return true;
        if (GetTickCount() - start > timeoutMs) return false;
    }
    return false;
}

bool WindowSession::WaitClosed(DWORD timeoutMs) { return WaitForSingleObject(closed_, timeoutMs) == WAIT_OBJECT_0; }

std::string WindowSession::Text(int id) const { return WindowText(Item(id)); }

bool WindowSession::Checked(int id) const { return SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void WindowSession::Click(int id)
{
    PostMessageA(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
}

void WindowSession::ToggleCheck(int id)
{
    HWND box = Item(id);
    SendMessageA(box, BM_SETCHECK, Checked(id) ? BST_UNCHECKED : BST_CHECKED, 0);
    SendMessageA(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(box));
}

void WindowSession::TypeSpace(int id, bool withControl)
{
    HWND field = Item(id);
    PostUi([field, withControl] {
        SetFocus(field);
        // Keys pressed from outside do not reach this thread's key state under Wine; the
        // thread's own keyboard state is what GetKeyState reads.
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = withControl ? 0x80 : 0;
        SetKeyboardState(keys);
        SendMessageA(field, WM_CHAR, ' ', 0x00390001);
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    });
}

HWND WaitForTopWindow(const char* windowClass, const std::string& caption, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopWindows(windowClass))
                if (caption.empty() || WindowText(window) == caption) found = window;
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

std::vector<HWND> TopWindows(const char* windowClass)
{
    TopSearch search{windowClass, {}};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitGone(HWND window, DWORD timeoutMs)
{
    return WaitUntil([window] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

std::vector<HWND> ChildrenOf(HWND window)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

std::string ClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}
