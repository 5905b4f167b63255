// The program's entry logic: the start-up values, and the choice of the run (settings window,
// command-line mode, settings-file mode, or the help boxes).
#pragma once

#include <windows.h>

#include <cstdint>

#include "common/startup_values.h"

// What start-up reads from outside. A global because it is a test seam: in-process tests
// replace the key-state reader and the command-line source.
struct StartupSeams {
    int16_t (*keyState)(int virtualKey);
    const char* (*commandLine)();
};
extern StartupSeams gSeams;

constexpr int IconApplication = 500;

// Fills values and runs the chosen mode. 1: the settings window is to open (with values);
// 0: the process is to end. *exitCode (when given) receives the process's exit code: 0 unless
// the run was asked for its outcome (EXITCODE, or [RUN] ExitCode=Outcome).
int32_t RunStartup(StartupValues& values, uint32_t* exitCode = nullptr);
// The start-up values alone (steps 1 to 6), the icon among them, for the settings window and
// tests; RunStartup loads the icon only when the settings window is to open.
void ComputeStartupValues(StartupValues& values);
bool SettingsFileExists(const StartupValues& values);
