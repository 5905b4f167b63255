// Holds Wine's desktop for a test session. The first program that makes a window starts the
// desktop process (explorer.exe /desktop), which inherits that program's standard handles: if
// a test under ctest starts it, ctest waits on the inherited output pipe until the desktop
// goes away, minutes later. Started first, with no handles of anyone's, this program makes
// the desktop start clean and keeps it alive until the session ends.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // Never shown: tests that look for visible windows do not meet it.
    CreateWindowExA(0, "STATIC", "Stowlet test desktop keeper", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                    nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
