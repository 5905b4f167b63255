// The program step: terminate, show, or start a program hidden or shown with a time-out.
#pragma once

#include <windows.h>

#include <cstdint>

#include "launcher/program_outcome.h"

// The program step of a task. workingDir may be null (command-line mode) or empty.
// Term alone terminates every running instance (at most TerminateCallLimit calls) and starts
// nothing; Unhide or Show shows a running instance; otherwise the program is started. Timeout
// is in seconds; 0 and 0xFFFFFFFF mean no wait, and one too long for 32-bit milliseconds waits
// the longest finite time. Returns the process id of the started or shown program, or 0
// (nothing started, or a hidden program terminated at its time-out). outcome, when given,
// receives how the step ended.
DWORD LaunchProgram(const char* program, const char* parameters, const char* workingDir, int32_t term, int32_t unhide,
                    int32_t show, int32_t timeout, ProgramOutcome* outcome = nullptr);

// Starts the program (a folder opens in a shell window instead), hidden unless shown is 1,
// waits up to milliseconds and terminates a hidden program still running then, together with
// the processes it started (in a job, when the system allows one). A hidden start waits for
// the program to become idle and hides its window within the time-out, or within
// IdleWaitLimit when there is none. A program that cannot be found, or whose command line
// would not fit, gets the "Error when executing" box and is not started. Returns the started
// program's process id, or 0. A found program the system refuses to start gets one debug
// line (no box). outcome, when given, receives how the step ended.
DWORD ExecuteProgram(const char* program, const char* parameters, const char* workingDir, int32_t shown,
                     uint32_t milliseconds, ProgramOutcome* outcome = nullptr);
