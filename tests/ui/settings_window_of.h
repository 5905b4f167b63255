// The open settings window of a thread, found by its state, for programs that open the window
// themselves and drive it.
#pragma once

#include <windows.h>

#include "ui/settings_dialog.h"

inline BOOL CALLBACK KeepSettingsWindow(HWND window, LPARAM parameter)
{
    if (!IsWindowVisible(window) || !SettingsWindowStateOf(window)) return TRUE;
    *reinterpret_cast<HWND*>(parameter) = window;
    return FALSE;
}

inline HWND SettingsWindowOfThread(DWORD threadId)
{
    HWND found = nullptr;
    EnumThreadWindows(threadId, KeepSettingsWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}
