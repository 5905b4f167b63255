// [RUN] IfRunning: runs of one settings file take turns at a named mutex, so a job started
// again before its last run ended can skip or wait. The system releases a mutex whose holder
// ends in any way, killed or crashed too, so a settings file is never left taken. The holder's
// process id is not published (a mapping for it would cost more than the mutex itself): the
// record names it, in the holder's own lines.
#pragma once

#include <cstdint>

#include "common/scoped.h"

struct RunTurn {
    ScopedHandle Mutex;      // the settings file's mutex; empty when none was made
    bool Held;               // this run has the turn
    bool Global;             // the machine's namespace; false: the session's, where the machine's was refused
    uint32_t GlobalRefusal;  // the machine's namespace's refusal (a system error code), when it was
};

enum class TurnFound {
    Free,       // the turn is this run's
    Abandoned,  // this run's, from a run that ended without letting go (killed or crashed)
    Taken,      // another run has it
    Failed,     // no turn could be made: the run cannot tell whether another is going
};
struct TurnAnswer {
    TurnFound Found;
    uint32_t Error;  // Failed: the system's code
};

// Makes or opens the mutex of the settings file at settingsPath (UTF-8) and tries it without
// waiting. Runs meet when their paths name one file, as the file system resolves and compares
// names: letter case, short names, "..", links and drive letters do not keep them apart.
TurnAnswer TryRunTurn(const char* settingsPath, RunTurn& turn);
// Waits for the turn without limit (IfRunning=Queue asked for that): the process stays killable
// while it waits. True when the run before ended without letting go.
bool WaitRunTurn(RunTurn& turn);
// Lets the turn go: the next run's wait ends as after a run that ended well.
void EndRunTurn(RunTurn& turn);
