#include "support/screen_main.h"

#include "common/text.h"
#include "launcher/startup.h"
#include "ui/settings_dialog.h"

std::string ScreenFolder;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    ScreenFolder = commandLine;
    if (ScreenFolder.empty()) return 1;
    static StartupValues startup;
    ComputeStartupValues(startup);
    const std::string ini = ScreenFolder + "\\Stowlet.ini";
    if (!TextCopy(startup.SettingsFilePath, ini.c_str())) return 1;
    const UINT_PTR timer = SetTimer(nullptr, 0, 150, OnScreenTick);
    RunSettingsDialog(startup);
    KillTimer(nullptr, timer);
    return ScreensTaken() ? 0 : 3;
}
