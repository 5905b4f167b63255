// Draws the settings window with a hot and a pressed skinned button, and the About box with its
// link under the pointer, and writes each window as a 32-bit BMP into the folder named on the
// command line, over the settings file Stowlet.ini found there. Used by scripts/screenshots.sh
// for the pictures in docs/.
#include <windows.h>

#include <cstdio>
#include <string>

#include "support/screen_main.h"
#include "support/support.h"
#include "support/window_picture.h"
#include "ui/about_box.h"
#include "ui/settings_window_of.h"

namespace {

int State = 0;
int Ticks = 0;
int Failures = 0;

HWND AboutBox() { return ThreadWindow(GetCurrentThreadId(), "#32770", "About"); }

}  // namespace

void CALLBACK OnScreenTick(HWND, UINT, UINT_PTR, DWORD)
{
    if (++Ticks > 300) ExitProcess(2);
    HWND settings = SettingsWindowOfThread(GetCurrentThreadId());
    if (State == 0 && settings && IsWindowVisible(settings)) {
        HWND about = GetDlgItem(settings, 81), save = GetDlgItem(settings, 82), close = GetDlgItem(settings, 83);
        SetFocus(close);
        UpdateWindow(settings);
        // "Save" under the pointer and "About..." held down. The pointer itself stays where it
        // is: the skin hears of it by message, and the picture is taken before the leave
        // message that follows is handled.
        SendMessageA(save, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        SendMessageA(about, BM_SETSTATE, TRUE, 0);
        UpdateWindow(settings);
        if (!WriteWindowBitmap(settings, ScreenFolder + "\\settings.bmp")) ++Failures;
        SendMessageA(about, BM_SETSTATE, FALSE, 0);
        SendMessageA(save, WM_MOUSELEAVE, 0, 0);
        PostMessageA(settings, WM_COMMAND, MAKEWPARAM(81, BN_CLICKED), reinterpret_cast<LPARAM>(about));
        State = 1;
    } else if (State == 1) {
        HWND box = AboutBox();
        if (!box) return;
        UpdateWindow(box);
        HWND link = GetDlgItem(box, AboutLinkId);
        SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        UpdateWindow(box);
        if (!WriteWindowBitmap(box, ScreenFolder + "\\about.bmp")) ++Failures;
        ReleaseCapture();
        PostMessageA(box, WM_CLOSE, 0, 0);
        State = 2;
    } else if (State == 2 && !AboutBox()) {
        PostMessageA(settings, WM_CLOSE, 0, 0);
        State = 3;
    }
}

bool ScreensTaken() { return Failures == 0 && State == 3; }
