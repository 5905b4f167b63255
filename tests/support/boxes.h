// Watches the message boxes and dialogs of one process from a second thread, records what
// they show and answers them from a script.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct BoxSeen {
    std::string caption;
    std::string text;
    std::vector<int> buttons;  // control ids: IDOK, IDCANCEL, IDYES, IDNO ...
    UINT style = 0;            // the box window's style bits (WS_EX bits in exStyle)
    UINT exStyle = 0;
    HWND owner = nullptr;
    int answer = 0;  // the button pressed
};

// A top-level dialog that is not a message box (the settings window, the About box).
struct DialogSeen {
    std::string caption;
    int controls = 0;
};

class BoxWatcher {
public:
    // Answers boxes of process `pid` in order with `answers` (IDYES, IDNO, ...); a box beyond
    // the list gets the "no" answer it offers (IDNO, else IDCANCEL, else IDOK). Other dialogs
    // are recorded and, when closeDialogs is set, closed with WM_CLOSE.
    // With answer false, boxes are recorded and left alone.
    BoxWatcher(DWORD pid, std::vector<int> answers, bool closeDialogs = true, bool answer = true);
    ~BoxWatcher();
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    // Stops watching; safe to call twice.
    void Stop();
    // Waits until `count` boxes (and dialogs) were seen, at most timeoutMs.
    bool WaitFor(size_t boxes, size_t dialogs, DWORD timeoutMs);
    std::vector<BoxSeen> Boxes();
    std::vector<DialogSeen> Dialogs();

private:
    void Run();
    void Look();

    DWORD pid_;
    std::vector<int> answers_;
    bool closeDialogs_;
    bool answer_;
    size_t nextAnswer_ = 0;
    std::vector<HWND> handled_;
    std::vector<BoxSeen> boxes_;
    std::vector<DialogSeen> dialogs_;
    std::mutex mutex_;
    HANDLE stop_;
    std::thread thread_;
};

// Reads a window's text of any length, wide, as UTF-8.
std::string WindowText(HWND window);
// UTF-16 text as UTF-8 and back.
std::string Utf8Of(const std::wstring& text);
std::wstring WideOf(const std::string& text);
