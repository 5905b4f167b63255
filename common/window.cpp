#include "common/window.h"

#include "common/buffers.h"
#include "common/unicode.h"

DWORD BringToFront(HWND window)
{
    if (!IsWindow(window)) return 0;
    DWORD self = GetCurrentThreadId();
    DWORD foreground = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    // Input attached to the foreground thread lets this thread move the foreground, for the
    // moment of the switch only.
    bool attached = foreground && foreground != self && AttachThreadInput(self, foreground, TRUE);
    if (!SetForegroundWindow(window)) {
        Sleep(10);
        SwitchToThisWindow(window, FALSE);
    }
    if (attached) AttachThreadInput(self, foreground, FALSE);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

namespace {

BOOL CALLBACK EndBoxOfThread(HWND window, LPARAM)
{
    wchar_t className[16];
    if (GetClassNameW(window, className, 16) && lstrcmpW(className, L"#32770") == 0) {
        EndDialog(window, BoxClosedByItself);
        return FALSE;
    }
    return TRUE;
}

// A thread timer: the box's own message loop dispatches it, and it ends the box this thread
// shows (a message box is a dialog of class #32770).
void CALLBACK EndBoxAtTimeout(HWND, UINT, UINT_PTR timer, DWORD)
{
    // A WM_TIMER still queued after the box killed its timer must not end a later box.
    if (!KillTimer(nullptr, timer)) return;
    EnumThreadWindows(GetCurrentThreadId(), EndBoxOfThread, 0);
}

}  // namespace

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT style, uint32_t seconds)
{
    wchar_t wideText[TextCapacity];
    wchar_t wideCaption[PathCapacity];
    WidenForDisplay(text, wideText, TextCapacity);
    WidenForDisplay(caption, wideCaption, PathCapacity);
    UINT_PTR timer = seconds ? SetTimer(nullptr, 0, seconds * 1000u, EndBoxAtTimeout) : 0;
    int answer = MessageBoxW(owner, wideText, wideCaption, style);
    if (timer) KillTimer(nullptr, timer);
    return answer;
}

bool SystemErrorText(uint32_t code, char* text, size_t capacity)
{
    if (!capacity) return false;
    text[0] = '\0';
    wchar_t wide[PathCapacity];
    // Inserts are left as they are: there are no arguments to fill them with.
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                  MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), wide, PathCapacity, nullptr);
    uint32_t room = capacity > 0xFFFF ? 0xFFFF : uint32_t(capacity);
    return length != 0 && length < PathCapacity && NarrowToUtf8(wide, text, room);
}

void SubclassWindow(HWND window, const char* property, WNDPROC procedure)
{
    if (GetPropA(window, property)) return;
    // The property is set before the procedure is replaced: the window's next message already
    // needs its previous procedure.
    // The wide calls keep a Unicode window Unicode: through the ANSI ones every text it is sent
    // would pass the code page.
    SetPropA(window, property, reinterpret_cast<HANDLE>(GetWindowLongPtrW(window, GWLP_WNDPROC)));
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
}

LRESULT CallPreviousProcedure(HWND window, const char* property, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto previous = reinterpret_cast<WNDPROC>(GetPropA(window, property));
    return previous ? CallWindowProcW(previous, window, message, wParam, lParam)
                    : DefWindowProcW(window, message, wParam, lParam);
}

WNDPROC RemoveSubclass(HWND window, const char* property)
{
    auto previous = reinterpret_cast<WNDPROC>(RemovePropA(window, property));
    if (previous) SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    return previous;
}
