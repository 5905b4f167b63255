#include "ui/common_controls.h"

#include <windows.h>

#include <commctrl.h>

#include <climits>

bool EnsureCommonControls()
{
    // By name, not by full path: only a name is redirected through the manifest's activation
    // context to the side-by-side version 6; the system folder's own copy is version 5. Names
    // resolve from the side-by-side store or the system folder only (the entry restricts the
    // search), as the static import did.
    HMODULE module = LoadLibraryW(L"comctl32.dll");
    if (!module) return false;
    auto initialize = reinterpret_cast<decltype(&InitCommonControlsEx)>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "InitCommonControlsEx")));
    // The classes the old InitCommonControls registered (the tooltip and the spin control among them).
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
    return initialize && initialize(&classes);
}

size_t WidenTemplateText(const char* text, uint16_t* output, size_t capacity)
{
    int room = capacity > size_t(INT_MAX) ? INT_MAX : int(capacity);
    int words = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, reinterpret_cast<LPWSTR>(output), room);
    return words > 0 ? size_t(words) : 0;
}
