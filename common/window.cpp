#include "common/window.h"

#include <climits>

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

bool SystemErrorText(uint32_t code, char* text, size_t capacity)
{
    if (!capacity) return false;
    DWORD room = capacity > 0xFFFF ? 0xFFFF : DWORD(capacity);  // the call takes no more
    // Inserts are left as they are: there are no arguments to fill them with.
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                  MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, room, nullptr);
    if (length == 0 || length >= room) {
        text[0] = '\0';
        return false;
    }
    return true;
}

size_t WidenAnsi(const char* text, uint16_t* output, size_t capacity)
{
    int room = capacity > size_t(INT_MAX) ? INT_MAX : int(capacity);
    int words = MultiByteToWideChar(CP_ACP, 0, text, -1, reinterpret_cast<LPWSTR>(output), room);
    return words > 0 ? size_t(words) : 0;
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
