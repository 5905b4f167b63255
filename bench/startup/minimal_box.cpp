// The yardstick for the start-up benchmark: the least a Win32 program does to show a message
// box (of the style of the help box), built with the product's compiler and flags.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    MessageBoxA(nullptr, "A minimal program's message box.", "Minimal", MB_YESNO | MB_ICONQUESTION);
    ExitProcess(0);
}
