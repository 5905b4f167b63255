// Draws the settings window with a hot and a pressed skinned button, and the About box with its
// link under the pointer, and writes each window as a 32-bit BMP into the folder named on the
// command line, over the settings file Stowlet.ini found there. Used by scripts/screenshots.sh
// for the pictures in docs/.
#include <windows.h>

#include <cstdio>
#include <string>

#include "common/text.h"
#include "launcher/startup.h"
#include "support/window_picture.h"
#include "ui/about_box.h"
#include "ui/settings_dialog.h"
#include "ui/settings_window_of.h"

namespace {

std::string OutFolder;
int State = 0;
int Ticks = 0;
int Failures = 0;

BOOL CALLBACK TakeAboutBox(HWND window, LPARAM result)
{
    char caption[64] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (IsWindowVisible(window) && caption[0] == 'A' && caption[1] == 'b') {
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
    }
    return TRUE;
}

HWND AboutBox()
{
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), TakeAboutBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD)
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
        if (!WriteWindowBitmap(settings, OutFolder + "\\settings.bmp")) ++Failures;
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
        if (!WriteWindowBitmap(box, OutFolder + "\\about.bmp")) ++Failures;
        ReleaseCapture();
        PostMessageA(box, WM_CLOSE, 0, 0);
        State = 2;
    } else if (State == 2 && !AboutBox()) {
        PostMessageA(settings, WM_CLOSE, 0, 0);
        State = 3;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    OutFolder = commandLine;
    if (OutFolder.empty()) return 1;
    static StartupValues startup;
    ComputeStartupValues(startup);
    // The sample settings file of the zip, which scripts/screenshots.sh puts there: the pictures
    // show settings a reader can try.
    const std::string ini = OutFolder + "\\Stowlet.ini";
    if (!TextCopy(startup.SettingsFilePath, ini.c_str())) return 1;
    const UINT_PTR timer = SetTimer(nullptr, 0, 150, OnTick);
    RunSettingsDialog(startup);
    KillTimer(nullptr, timer);
    return State == 3 && Failures == 0 ? 0 : 3;
}
