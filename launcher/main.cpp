// The entry: the chosen run, the settings window when asked for, and exit code 0 always.
#include <windows.h>

#include "common/time_mark.h"
#include "common/unattended.h"
#include "launcher/startup.h"
#include "ui/settings_dialog.h"

namespace {

// Users drop the exe into any folder (Downloads included): from here on, DLLs loaded by name
// come from the system folder only, never from beside the exe or the current folder.
void RestrictDllSearch()
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto restrict = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    // Vista and 7 without the loader update lack it: removing the current folder is what remains.
    if (!restrict || !restrict(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryA("");
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    TimeMark("entry");
    RestrictDllSearch();
    TimeMark("dll search restricted");
    // The start-up values live as long as the process: filled by start-up, handed down.
    StartupValues startup;
    // A window nobody can see would wait for ever: where no one can, it is not opened.
    if (RunStartup(startup) == 1 && !TellUnseen("Settings window", "not opened: nobody can see it."))
        RunSettingsDialog(startup);
    TimeMark("exit");
    ExitProcess(0);
}
