#include "launcher/timed_prompt.h"

#include "common/buffers.h"
#include "common/unattended.h"
#include "common/unicode.h"

namespace {

// What the box returns when its time ran out: no button has this id.
constexpr INT_PTR TimedOutResult = 32000;

BOOL CALLBACK EndBoxOfThread(HWND window, LPARAM)
{
    wchar_t className[16];
    if (GetClassNameW(window, className, 16) && lstrcmpW(className, L"#32770") == 0) {
        EndDialog(window, TimedOutResult);
        return FALSE;
    }
    return TRUE;
}

// A thread timer: the box's own message loop dispatches it, and it ends the box this thread
// shows (a message box is a dialog of class #32770).
void CALLBACK EndBoxAtTimeout(HWND, UINT, UINT_PTR timer, DWORD)
{
    // A WM_TIMER still queued after the prompt killed its timer must not end a later box.
    if (!KillTimer(nullptr, timer)) return;
    EnumThreadWindows(GetCurrentThreadId(), EndBoxOfThread, 0);
}

}  // namespace

TimedAnswer AskWithTimeout(HWND owner, const char* text, const char* caption, UINT style, uint32_t seconds)
{
    wchar_t wideText[TextCapacity];
    wchar_t wideCaption[PathCapacity];
    WidenForDisplay(text, wideText, TextCapacity);
    WidenForDisplay(caption, wideCaption, PathCapacity);
    UINT_PTR timer = seconds ? SetTimer(nullptr, 0, seconds * 1000u, EndBoxAtTimeout) : 0;
    int answer = MessageBoxW(owner, wideText, wideCaption, style);
    if (timer) KillTimer(nullptr, timer);
    if (answer == TimedOutResult) return TimedAnswer::TimedOut;
    return answer == IDYES ? TimedAnswer::Yes : TimedAnswer::No;
}
