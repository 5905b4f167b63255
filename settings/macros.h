// Macros: upper-case names between percent signs in task texts, expanded just before use.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "common/buffers.h"
#include "common/startup_values.h"
#include "settings/macros_core.h"
#include "settings/task_settings.h"

// What ComputeMacroValues fixes for the run.
struct MacroRun {
    MacroValues Values;
    // The local clock reading taken with the values, as a 64-bit file time (100 ns units, no
    // time-zone shift); the copy's modified-files filter measures back from it.
    uint64_t StartTime;
};

// What one expansion reads besides the source text.
struct MacroInputs {
    const MacroValues* Values;
    const char* ProcessId;     // the %PROCESSID% text; null reads as empty
    const TaskRecords* Tasks;  // whose WorkingDir and Program give %GITBRANCHNAME%
    int32_t ErrorCode;         // the %ERRORCODE% value: nothing in a run sets it, so 0
    LineReader Reader;         // who reads the text: the branch is placed for it (ExpansionContext)
    bool* Unsafe;              // set when the branch could not be placed as text; may be null
};

// The clock ComputeMacroValues reads (GetLocalTime). A global because it is a test seam: tests
// put a fixed moment here.
extern void (*gReadLocalClock)(SYSTEMTIME* now);

// Reads the clock once and queries the system's folders and names; %PROGRAMDIR% and
// %PROGRAMNAME% come from the start-up values.
void ComputeMacroValues(const StartupValues& startup, MacroRun& run);

// Expands every macro of source into output (TextCapacity bytes). task: whose texts give
// %GITBRANCHNAME% (TaskId::None leaves it in place). False when the expanded text did not fit: the
// caller must not act on output then (it holds the text expanded as far as it fit, for display
// only).
[[nodiscard]] bool ExpandMacros(const char* source, char (&output)[TextCapacity], TaskId task,
                                const MacroInputs& inputs);
