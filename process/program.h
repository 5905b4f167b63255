// The program step: terminate, show, or start a program hidden or shown with a time-out.
#pragma once

#include <windows.h>

#include <cstdint>

#include "process/program_core.h"
#include "process/program_outcome.h"

// The program step of a task. workingDir may be null (command-line mode) or empty.
// Term alone ends every running instance it may end, passing over the others
// (TerminateInstances), and starts nothing; Unhide or Show shows a running instance; otherwise the program is started; one too
// long for 32-bit milliseconds waits the longest finite time. Returns the process id of the
// started or shown program, or 0 (nothing started, or a hidden program terminated at its
// time-out). outcome, when given, receives how the step ended.
DWORD LaunchProgram(const char* program, const char* parameters, const char* workingDir, const LaunchChoice& choice,
                    ProgramOutcome* outcome = nullptr);

// Starts the program (a folder opens in a shell window instead), hidden or shown, waits up to
// milliseconds and terminates a hidden program still running then, together with the
// processes it started (in a job, when the system allows one). A hidden start waits for the
// program to become idle and hides its window within the time-out, or within IdleWaitLimit
// when there is none. A program that cannot be found, or whose command line would not fit,
// gets the "Error when executing" box and is not started; one the system refuses to start gets
// a debug line (no box). An error box nobody answers closes after boxSeconds (0: it waits). With
// waitForEnd and no time-out it waits for the program's end, so its exit code is known. With
// output asked for, a hidden program's standard output and error are appended to that file and
// its input reads end-of-file at once, and it inherits those handles alone; a file that cannot
// be opened leaves a debug line and the program starts as without it (a shown one always does).
// Returns the started program's process id, or 0.
DWORD ExecuteProgram(const char* program, const char* parameters, const char* workingDir, Visibility visibility,
                     uint32_t milliseconds, ProgramOutcome* outcome = nullptr, uint32_t boxSeconds = 0,
                     bool waitForEnd = false, const OutputRequest& output = {});

// The "Error when executing" box, or one debug line where nobody could see a box; with
// seconds above 0 the box closes by itself after that long. True when it did.
bool ShowExecuteError(const char* text, uint32_t seconds = 0);
