// The settings file's [RUN] section: how a run that nobody may watch answers its prompts and
// where it keeps its record and the programs' output. The values and their reading, free of any platform call.
#pragma once

#include <cstdint>

#include "common/buffers.h"

struct RunSettings {
    bool PromptDefaultYes;          // PromptDefault: the answer nobody gave (default No)
    uint32_t PromptTimeoutSeconds;  // PromptTimeout: 0 waits for the user as ever
    char LogFile[TextCapacity];     // LogFile, unexpanded (UTF-8); empty: no record
    bool ExitCodeOutcome;           // ExitCode=Outcome: the run's outcome becomes the exit code
    char OutputFile[TextCapacity];  // OutputFile, unexpanded (UTF-8): where each task's hidden program's output
                                    // goes; empty: not kept
};

// PromptDefault: "Yes", "TRUE" and "1" (letter case ignored) read as Yes, anything else as No.
bool ParsePromptDefault(const char* text);
// ExitCode: "Outcome" (letter case ignored) asks for the run's outcome as the exit code; any
// other value, or none, keeps 0.
bool ParseExitCodeMode(const char* text);
// PromptTimeout: the decimal digits at its start, blanks before them skipped; anything else
// reads as 0. A number past what a 32-bit count of milliseconds holds saturates there.
uint32_t ParsePromptTimeout(const char* text);
// The longest time-out a prompt takes: its milliseconds still fit 32 bits.
constexpr uint32_t LongestPromptTimeout = 0xFFFFFFFEu / 1000u;
