// Runs the real settings window on a thread of its own inside the test program, so a test can
// look at it and drive it from the test thread. Every wait is bounded.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/startup_values.h"

// The start-up values every settings window of the test program is opened with: computed once
// for the test program itself; tests may point SettingsFilePath elsewhere.
StartupValues& TestStartup();

class WindowSession {
public:
    // Opens the settings window (RunSettingsDialog) with TestStartup() and waits
    // until it is up; Window() is null when it did not come up.
    WindowSession();
    // Closes the window if it is still open and waits for its thread.
    ~WindowSession();
    WindowSession(const WindowSession&) = delete;
    WindowSession& operator=(const WindowSession&) = delete;

    HWND Window() const { return window_; }
    HWND Item(int id) const { return GetDlgItem(window_, id); }
    std::string Text(int id) const;
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    bool Checked(int id) const;

    // Runs fn on the window's thread and waits until it returned. False when it did not return
    // within timeoutMs (fn then blocked in something modal).
    bool OnUi(const std::function<void()>& fn, DWORD timeoutMs = 10000);
    // Queues fn on the window's thread behind everything posted to that thread so far; does not
    // wait. fn may open something modal that the test then answers.
    void PostUi(std::function<void()> fn);
    // Waits until everything queued on the window's thread before this call was handled.
    bool Settle(DWORD timeoutMs = 10000);
    // Settles once no box of the window's thread is left open: a call queued while a box is up
    // runs inside the box's own loop, before the window's code after the box.
    bool SettleAfterBoxes(DWORD timeoutMs = 10000);
    // Waits until the window has closed and RunSettingsDialog returned.
    bool WaitClosed(DWORD timeoutMs = 10000);
    bool Closed() const { return WaitForSingleObject(closed_, 0) == WAIT_OBJECT_0; }

    // Clicks a button the way the dialog manager reports it (posted: it may open a modal box).
    void Click(int id);
    // Clicks a check box: toggles it and reports the click, as a mouse click does.
    void ToggleCheck(int id);
    // CTRL+SPACE (or SPACE alone) typed into a field that has the focus; posted, since it may
    // open the macro menu.
    void TypeSpace(int id, bool withControl);

private:
    void Run();

    HWND window_ = nullptr;
    HWND helper_ = nullptr;
    DWORD threadId_ = 0;
    HANDLE ready_;
    HANDLE closed_;
    std::thread thread_;
};

// A visible top-level window of this process whose class and caption match (empty: any), or
// null after timeoutMs.
HWND WaitForTopWindow(const char* windowClass, const std::string& caption, DWORD timeoutMs = 10000);
// Every visible top-level window of this process with this class.
std::vector<HWND> TopWindows(const char* windowClass);
// Waits until window is gone.
bool WaitGone(HWND window, DWORD timeoutMs = 10000);
// Child controls of window in z order (creation order for dialogs).
std::vector<HWND> ChildrenOf(HWND window);
std::string ClassOf(HWND window);
