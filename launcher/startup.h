// The program's entry logic: the start-up values every subsystem reads, and the choice of
// the run (settings window, command-line mode, settings-file mode, or the help boxes).
#pragma once

#include <windows.h>

#include <cstdint>

#include "common/buffers.h"

extern HINSTANCE Instance;
extern HICON AppIcon;                           // icon resource 500
extern char ModulePath[PathCapacity];           // GetModuleFileNameA
extern char OwnPath[PathCapacity];              // the program's path as this run names it
extern char SettingsFilePath[TextCapacity];     // OwnPath with "ini" for its last three characters
extern char OwnName[PathCapacity];              // the executable's name without extension

// What start-up reads from outside, replaceable by tests.
struct StartupSeams {
    int16_t (*keyState)(int virtualKey);
    const char* (*commandLine)();
};
extern StartupSeams Seams;

constexpr int IconApplication = 500;

// Computes the start-up values and runs the chosen mode. 1: the settings window is to open;
// 0: the process is to end.
int32_t RunStartup();
// The start-up values alone (steps 1 to 6), for RunStartup and tests.
void ComputeStartupValues();
bool SettingsFileExists();
