// The common controls library is loaded only when a window that uses it opens, and then as the
// side-by-side version 6 the manifest asks for. This program carries the product's resources
// (the manifest among them), imports no comctl32 of its own and restricts the DLL search as the
// product's entry does, so the library comes in only through the product's own loading.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "launcher/startup.h"
#include "skin/texture.h"
#include "support/support.h"
#include "test_ini.h"
#include "ui/about_box.h"
#include "window_session.h"

namespace {

// Paths of every comctl32.dll loaded in this process.
std::vector<std::string> LoadedCommonControls()
{
    std::vector<std::string> paths;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
    if (snapshot == INVALID_HANDLE_VALUE) return paths;
    MODULEENTRY32 module = {};
    module.dwSize = sizeof module;
    for (BOOL more = Module32First(snapshot, &module); more; more = Module32Next(snapshot, &module))
        if (lstrcmpiA(module.szModule, "comctl32.dll") == 0) paths.push_back(module.szExePath);
    CloseHandle(snapshot);
    return paths;
}

// Version 6 lives in the side-by-side store, in the folder of its assembly identity (the
// manifest's name and public key token, version 6.x); the system folder's copy is version 5.
void ExpectOnlyVersion6Loaded()
{
    std::vector<std::string> loaded = LoadedCommonControls();
    ASSERT_FALSE(loaded.empty());
    for (std::string path : loaded) {
        for (char& c : path) c = char(tolower(static_cast<unsigned char>(c)));
        EXPECT_NE(path.find("microsoft.windows.common-controls_6595b64144ccf1df_6."), std::string::npos) << path;
    }
}

// Only a version 6 button (the common controls' own) knows BCM_GETIDEALSIZE; the old one of
// user32 answers 0 to it.
bool AnswersIdealSize(HWND button)
{
    SIZE size = {};
    return SendMessageA(button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&size)) != 0 && size.cx > 0;
}

// The About box is modal on this thread: a thread timer looks at it from inside its loop.
HWND AboutBox;
bool AboutOkAnswered;

void CALLBACK LookAtAbout(HWND, UINT, UINT_PTR, DWORD)
{
    static int ticks;
    AboutBox = ThreadWindow(GetCurrentThreadId(), "#32770", "");
    if (AboutBox) AboutOkAnswered = AnswersIdealSize(GetDlgItem(AboutBox, AboutOkId));
    if (AboutBox || ++ticks > 300) {
        HWND box = AboutBox;
        if (box) SendMessageA(box, WM_CLOSE, 0, 0);
    }
}

}  // namespace

TEST(CommonControls, LoadedWhenTheAboutBoxOrTheSettingsWindowOpensAndVersion6)
{
    // As the product's entry: DLLs by name from the system folder (or the side-by-side store).
    ASSERT_TRUE(SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32));
    static StartupValues values;
    ComputeStartupValues(values);
    EXPECT_TRUE(LoadedCommonControls().empty()) << "start-up alone loads no common controls";

    // The About box alone first (the settings window would load the library before it).
    if (!gBackgroundTexture) MakeTextureBitmap(RECT{0, 0, 240, 60}, 30, gBackgroundTexture);
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, LookAtAbout);
    RunAboutDialog(nullptr, values.AppIcon, values.OwnPath);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(AboutOkAnswered) << "the About box's OK button is a version 6 button";
    ExpectOnlyVersion6Loaded();

    TempFolder folder;
    UseSettingsFile(folder, "");
    WindowSession session;
    ASSERT_TRUE(session.Window());
    // Check boxes, push buttons and group boxes of both groups and the bottom row.
    int buttons = 0;
    for (HWND control : ChildrenOf(session.Window())) {
        if (ClassOf(control) != "Button") continue;
        ++buttons;
        EXPECT_TRUE(AnswersIdealSize(control)) << "button " << GetDlgCtrlID(control);
    }
    EXPECT_GT(buttons, 0);
    ExpectOnlyVersion6Loaded();
}
