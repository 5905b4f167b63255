// The one main of the programs that take the guide's pictures: it opens the settings window on
// the settings file Stowlet.ini in the folder named on the command line (the zip's sample,
// placed there by scripts/screenshots.sh, so the pictures show settings a reader can try) and
// calls the program's OnScreenTick from a thread timer, inside the window's own loop, until the
// window closes. The program ends with 0 when ScreensTaken says every picture was written.
#pragma once

#include <windows.h>

#include <string>

// The folder the pictures go to (the command line).
extern std::string ScreenFolder;

// Defined by each picture program: its steps, one per tick, and whether all of them succeeded.
void CALLBACK OnScreenTick(HWND, UINT, UINT_PTR, DWORD);
bool ScreensTaken();
