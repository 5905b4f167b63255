// Runs nobody watches: whether anyone can see this process's boxes, and the debug line that
// stands in for a box no one could answer (common/debug_line).
#pragma once

#include <cstdint>

// False when the process's window station is not visible (a task run whether or not anyone
// is logged on, a service): a box there waits for an answer nobody can give. Asked once, on
// first use, so a run that shows no box never asks.
bool StationVisible();

// When no one can see a box: writes "caption: text" as one debug line and returns true, so
// the caller goes on as after the box. False (nothing written) when a box can be seen.
bool TellUnseen(const char* caption, const char* text);
