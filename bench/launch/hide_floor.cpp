// The floor of a hidden start as the start-up issue gives it: user32 (the CTRL key), the
// product's manifest (linked in by the ladder), a hidden CreateProcess, the idle wait without
// limit, and the started program's visible top-level windows hidden; built -O2 -static -s, a
// console program like the original.
//   (no macro)     starts its first argument
//   READ_SETTINGS  the floor of settings-file mode: first reads every key the product reads
//                  from the settings file beside it (its own path with "ini"), one profile
//                  call each, and starts what the Program key of the second section names
#include <windows.h>

static BOOL CALLBACK HideOwn(HWND w, LPARAM pid)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == (DWORD)pid && IsWindowVisible(w)) ShowWindow(w, SW_HIDE);
    return TRUE;
}

#ifdef READ_SETTINGS
static char program[4096];

// The two sections and their keys as the product's settings file holds them.
static void ReadSettings()
{
    static const char* const keys[] = {"CopySource",
                                       "CopySubFolders",
                                       "CopyTarget",
                                       "CopyOverwrite",
                                       "Program",
                                       "Parameters",
                                       "WorkingDir",
                                       "Unhide",
                                       "Show",
                                       "AskExecute",
                                       "Term",
                                       "CopyAfterExecute",
                                       "AskCopy",
                                       "Timeout",
                                       "CopyBeforeExecute",
                                       "AskCopyBefore",
                                       "CopyModifiedFiles",
                                       "CopyModifiedFilesHour",
                                       "CopyModifiedFilesMinute"};
    char file[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, file, MAX_PATH);
    if (length < 4 || length >= MAX_PATH) return;
    lstrcpyA(file + length - 3, "ini");
    char value[4096];
    static const char* const sections[] = {"PREVIOUS", "OPTIONS"};
    for (const char* section : sections)
        for (const char* key : keys) {
            GetPrivateProfileStringA(section, key, "", value, sizeof value, file);
            if (lstrcmpA(section, "OPTIONS") == 0 && lstrcmpA(key, "Program") == 0) lstrcpyA(program, value);
        }
}
#endif

int main(int argc, char** argv)
{
#ifdef READ_SETTINGS
    (void)argc;
    (void)argv;
#else
    if (argc < 2) return 2;
#endif
    if (GetKeyState(VK_CONTROL) < 0) return 3;
    STARTUPINFOA si;
    PROCESS_INFORMATION pi;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
#ifdef READ_SETTINGS
    ReadSettings();
    if (!CreateProcessA(NULL, program, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) return 1;
#else
    if (!CreateProcessA(NULL, argv[1], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) return 1;
#endif
    WaitForInputIdle(pi.hProcess, INFINITE);
    EnumWindows(HideOwn, (LPARAM)pi.dwProcessId);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}
