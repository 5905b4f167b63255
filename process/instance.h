// Running instances of a program, found by their executable's file name: their process id,
// hiding or showing their main window, terminating them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "common/window.h"  // BringToFront, which the modes use
#include "process/program_outcome.h"

enum class InstanceMode {
    Query,      // touch nothing, only report the process id
    Hide,       // hide its main window
    Show,       // show (and restore) its main window and bring it to the front
    Terminate,  // terminate the process with exit code 0
};

// How long ShowInstanceWindow waits for the instance to own a window it can handle. A hidden
// start waits this long at most for a program that never makes a window; a user who started
// it from a prompt would accept a few seconds, not more.
constexpr DWORD ShowInstanceWaitLimit = 5000;
// The pause between two window searches, spent waiting on the process so an exit ends it.
constexpr DWORD ShowInstancePassInterval = 10;
// How long a show or hide of another process's window is awaited: a hung program must not
// hold this one.
constexpr DWORD ShowWindowEffectLimit = 2000;
// How long a terminated instance is awaited before the next search, so the next search does
// not meet it again while it is still going away.
constexpr DWORD TerminateCompletionLimit = 5000;
// The passes of TerminateInstances over the process list.
constexpr int32_t TerminatePassLimit = 16;

// The program text is searched like a program to start (".exe" added when it has no
// extension); the instance is a running process whose executable file name equals the found
// path's file-name part, ignoring case (the first in the system's process list). A console
// program is queried and ended the same way; its console window is shown when the console
// answers for it, or found by the program text a hidden start gave it as title; otherwise,
// and for Hide, it is the top-level window captioned with this process's own start-up title.
// Returns the instance's process id, or 0 (none found; with Terminate also when it could not be
// terminated). budget bounds the time spent waiting for a window and
// for a show or hide to take effect; INFINITE leaves only the limits above.
DWORD FindInstance(const char* program, InstanceMode mode, DWORD budget = INFINITE);

// TERM: ends every running instance of the program (found as FindInstance finds it) that can
// be ended; an instance that cannot be opened or ended is passed over, with one debug line
// naming its process id and the system's text, and the walk goes on with the others. A pass
// walks the system's process list once; passes repeat while one ends an instance (so those
// started meanwhile are met too), at most TerminatePassLimit of them, never more than
// TerminateCallLimit terminations in all. outcome receives Count and the passed-over ones.
void TerminateInstances(const char* program, ProgramOutcome& outcome);

// Hides (Hide) or shows (Show) the first top-level window of the process's main
// thread, waiting for such a window for at most ShowInstanceWaitLimit (and budget) and never
// beyond the process's exit. 1 when a window was handled, else 0.
int32_t ShowInstanceWindow(DWORD processId, InstanceMode mode, DWORD budget = INFINITE);

// The hide after a start: as ShowInstanceWindow with InstanceMode::Hide, for the process the
// start just made, whose handle and first thread CreateProcess gave. No search by name is
// made, and while that thread runs it is the main thread, so no thread list is taken either.
int32_t HideStartedWindow(HANDLE process, DWORD processId, HANDLE firstThread, DWORD firstThreadId, DWORD budget);

// The process's thread with the earliest creation time (its main thread), or 0.
DWORD OldestThreadOf(DWORD processId);
