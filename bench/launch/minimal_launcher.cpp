// The yardsticks for the launch benchmark, one source built in rungs: each starts the rest of
// its command line hidden with the start-up flags the product uses and ends.
//   (no macro)   kernel32 only
//   KEY_STATE    + user32: reads the CTRL key as every start of the product does (the build
//                adds the product's manifest)
//   IDLE_WAIT    + waits until the started program is idle, the one wait a hidden start that
//                hides the window afterwards cannot leave out
// The hide step, the floor of a hidden start, is hide_floor.cpp.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int)
{
#if defined(KEY_STATE) || defined(IDLE_WAIT)
    if (GetKeyState(VK_CONTROL) < 0) ExitProcess(1);
#endif
    char line[4096];
    lstrcpynA(line, arguments, sizeof line);
    char* program = line;
    while (*program == ' ') ++program;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEOFFFEEDBACK;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION started;
    if (CreateProcessA(nullptr, program, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                       &started)) {
#ifdef IDLE_WAIT
        WaitForInputIdle(started.hProcess, INFINITE);
#endif
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
    ExitProcess(0);
}
