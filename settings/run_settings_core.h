// The settings file's [RUN] section: how a run that nobody may watch answers its prompts, where
// it keeps its record and the programs' output, what it does when another run of its settings
// file is going and how often a copy tries a file another program holds. The values and their
// reading, free of any platform call.
#pragma once

#include <cstdint>

#include "common/buffers.h"

// IfRunning: what a run does when another run of the same settings file is going.
enum class IfRunning : uint8_t {
    Parallel,  // runs beside it, as without the key
    Skip,      // starts nothing and returns
    Queue,     // waits until it has ended, then runs
};

struct RunSettings {
    bool PromptDefaultYes;          // PromptDefault: the answer nobody gave (default No)
    uint32_t PromptTimeoutSeconds;  // PromptTimeout: 0 waits for the user as ever
    char LogFile[TextCapacity];     // LogFile, unexpanded (UTF-8); empty: no record
    bool ExitCodeOutcome;           // ExitCode=Outcome: the run's outcome becomes the exit code
    char OutputFile[TextCapacity];  // OutputFile, unexpanded (UTF-8): where each task's hidden program's output
                                    // goes; empty: not kept
    IfRunning WhenRunning;          // IfRunning (default Parallel)
    uint32_t CopyRetries;           // CopyRetries: more tries of a file another program holds (default 0)
    uint32_t CopyRetryWaitSeconds;  // CopyRetryWait: between those tries (default 5)
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

// IfRunning: "Skip" or "Queue" (letter case ignored); anything else, or none, is Parallel.
IfRunning ParseIfRunning(const char* text);
// CopyRetries and CopyRetryWait: the decimal digits at the start, blanks before them skipped;
// a value without digits reads as fallback (the key's default), a larger one as most.
uint32_t ParseBoundedCount(const char* text, uint32_t fallback, uint32_t most);
// The bounds: a copy never waits more than an hour between tries, nor tries a file more than
// 101 times; the wait's milliseconds fit 32 bits with room.
constexpr uint32_t DefaultCopyRetryWait = 5;
constexpr uint32_t MostCopyRetries = 100;
constexpr uint32_t LongestCopyRetryWait = 3600;
