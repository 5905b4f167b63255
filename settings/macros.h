// Macros: upper-case names between percent signs in task texts, expanded just before use.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "common/buffers.h"
#include "settings/macros_core.h"

// The local clock reading taken by ComputeMacroValues, as a 64-bit file time (100 ns units,
// no time-zone shift); the copy's modified-files filter measures back from it.
extern uint64_t RunStartTime;

// The values fixed by ComputeMacroValues.
extern MacroValues Macros;

// The clock ComputeMacroValues reads (GetLocalTime); tests put a fixed moment here.
extern void (*ReadLocalClock)(SYSTEMTIME* now);

// Reads the clock once and queries the system's folders and names.
void ComputeMacroValues();

// Expands every macro of source into output (TextCapacity bytes). task: 0 the previous
// task, -1 no task (%GITBRANCHNAME% stays), any other value the main task. False when the
// expanded text did not fit: the caller must not act on output then (it holds the text
// expanded as far as it fit, for display only).
[[nodiscard]] bool ExpandMacros(const char* source, char (&output)[TextCapacity], int32_t task);
