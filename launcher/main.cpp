// The entry: the chosen run, the settings window when asked for, and the run's exit code (0
// unless the run was asked for its outcome).
#include <windows.h>

#include "common/time_mark.h"
#include "common/unattended.h"
#include "launcher/startup.h"
#include "ui/settings_dialog.h"

#ifdef STOWLET_COVERAGE
// libgcov's: writes the line counts, which it would otherwise write at exit() only.
extern "C" void __gcov_dump(void);
#endif

namespace {

// Users drop the exe into any folder (Downloads included): from here on, DLLs loaded by name
// come from the system folder only, never from beside the exe or the current folder.
void RestrictDllSearch()
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    // Procedure names exist in ANSI only: GetProcAddress has no wide form.
    auto restrict = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    // Vista and 7 without the loader update lack it: removing the current folder is what remains.
    if (!restrict || !restrict(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
}

// A run nobody watches must not wait on the system's boxes: a drive without a disc or a card
// reader without a card is an ordinary failure with its code, not a box. Programs the run starts
// get the system's default mode back (CREATE_DEFAULT_ERROR_MODE).
void FailCriticalErrors() { SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX); }

// A program named without a folder is looked for in the system folders before the current
// folder, which may be anyone's (Downloads, a share).
void SafeProgramSearch()
{
    using SetSearchPathModeFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto safe = reinterpret_cast<SetSearchPathModeFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetSearchPathMode")));
    if (safe) safe(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
}

}  // namespace

// The ANSI entry's line goes unread: start-up reads the wide command line itself.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    TimeMark("entry");
    RestrictDllSearch();
    FailCriticalErrors();
    SafeProgramSearch();
    TimeMark("dll search restricted");
    // The start-up values live as long as the process: filled by start-up, handed down.
    StartupValues startup;
    // A window nobody can see would wait for ever: where no one can, it is not opened.
    uint32_t exitCode = 0;
    if (RunStartup(startup, &exitCode) == 1 && !TellUnseen("Settings window", "not opened: nobody can see it."))
        RunSettingsDialog(startup);
    TimeMark("exit");
#ifdef STOWLET_COVERAGE
    __gcov_dump();
#endif
    ExitProcess(exitCode);
}
