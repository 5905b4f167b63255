// [RUN] IfRunning: runs of one settings file take turns at a named mutex, so a job started
// again before its last run ended can skip or wait. The system releases a mutex whose holder
// ends in any way, killed or crashed too, so a settings file is never left taken. The holder's
// process id is not published (a mapping for it would cost more than the mutex itself): the
// record names it, in the holder's own lines.
#pragma once

#include <cstdint>

#include "common/scoped.h"
#include "launcher/run_record.h"
#include "settings/run_settings_core.h"

struct RunTurn {
    ScopedHandle Mutex;      // the settings file's mutex; empty when none was made
    bool Held;               // this run has the turn
    bool Global;             // the machine's namespace; false: the session's, where the machine's was refused
    uint32_t GlobalRefusal;  // the machine's namespace's refusal (a system error code), when it was
};

// What a run does after IfRunning has had its say.
enum class TurnGo {
    Run,           // at once: Parallel, the turn was free, or no turn could be made (said)
    RunAfterWait,  // Queue: after the other run ended
    Skip,          // Skip: another run is going; the run starts nothing
};
// Takes the turn as when says (Parallel: nothing at all, no kernel object) and tells each
// finding to the record, or to the debug channel where none is kept: a turn that could not be
// made, the session's namespace in place of the machine's, a run before that ended without
// letting go, a skip, the wait and how long it took.
TurnGo TakeRunTurn(const char* settingsPath, IfRunning when, RunRecord& record, RunTurn& turn);
// Lets the turn go: the next run's wait ends as after a run that ended well.
void EndRunTurn(RunTurn& turn);
