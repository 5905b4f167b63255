// The yardstick for the launch benchmark: starts the rest of its command line hidden with the
// start-up flags the product uses and ends. With "/idle" first it also waits until the started
// program is idle, the one wait a hidden start cannot leave out.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int)
{
    char line[4096];
    lstrcpynA(line, arguments, sizeof line);
    char* program = line;
    while (*program == ' ') ++program;
    bool waitIdle = program[0] == '/' && program[1] == 'i' && program[2] == 'd' && program[3] == 'l' &&
                    program[4] == 'e' && program[5] == ' ';
    if (waitIdle) program += 6;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEOFFFEEDBACK;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION started;
    if (CreateProcessA(nullptr, program, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                       &started)) {
        if (waitIdle) WaitForInputIdle(started.hProcess, INFINITE);
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
    ExitProcess(0);
}
