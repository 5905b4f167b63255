// Opens the settings window on the settings file Stowlet.ini in the folder named on the command
// line (the zip's sample, placed there by scripts/screenshots.sh) and the macro menu in its
// "Copy from Source:" field with an item highlighted, and writes window and menu as they stand
// on the screen as one 32-bit BMP into that folder. Used by scripts/screenshots.sh for docs/.
#include <windows.h>

#include <cstdio>
#include <string>

#include "settings_window_of.h"
#include "support/screen_main.h"
#include "support/window_picture.h"

namespace {

int State = 0;
int Ticks = 0;
int Failures = 0;
HWND Menu = nullptr;

void SetControlKey(bool down)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

// Runs on the window's thread, also from inside the menu's own loop.
}  // namespace

void CALLBACK OnScreenTick(HWND, UINT, UINT_PTR, DWORD)
{
    if (++Ticks > 300) ExitProcess(2);
    HWND settings = SettingsWindowOfThread(GetCurrentThreadId());
    if (State == 0 && settings && IsWindowVisible(settings)) {
        HWND field = GetDlgItem(settings, 3);
        SetFocus(field);
        SendMessageA(field, EM_SETSEL, 17, 17);  // after "C:\Projects\Tool\"
        State = 1;
        SetControlKey(true);
        SendMessageA(field, WM_CHAR, ' ', 0x00390001);  // returns when the menu has closed
        SetControlKey(false);
        State = 4;
    } else if (State == 1) {
        Menu = FindWindowA("#32768", nullptr);
        if (!Menu) return;
        for (int i = 0; i < 18; ++i) PostMessageA(settings, WM_KEYDOWN, VK_DOWN, 0x01500001);  // "%TEMPDIR%"
        State = 2;
    } else if (State == 2) {
        UpdateWindow(settings);
        UpdateWindow(Menu);
        RECT window, menu, both;
        GetWindowRect(settings, &window);
        GetWindowRect(Menu, &menu);
        UnionRect(&both, &window, &menu);
        const HWND windows[] = {settings, Menu};
        if (!WriteWindowsBitmap(both, windows, 2, ScreenFolder + "\\settings-window.bmp")) ++Failures;
        PostMessageA(settings, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        State = 3;
    } else if (State == 4) {
        PostMessageA(settings, WM_CLOSE, 0, 0);
        State = 5;
    }
}

bool ScreensTaken() { return Failures == 0 && State == 5; }
