// The entry: the chosen run, the settings window when asked for, and exit code 0 always.
#include <windows.h>

#include "launcher/startup.h"
#include "ui/settings_dialog.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (RunStartup() == 1) RunSettingsDialog();
    ExitProcess(0);
}
