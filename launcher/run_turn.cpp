#include "launcher/run_turn.h"

#include <windows.h>

#include "common/buffers.h"
#include "common/error_text.h"
#include "common/file_system_core.h"
#include "common/text.h"
#include "common/time_mark.h"
#include "common/unicode.h"
#include "launcher/run_turn_core.h"

namespace {

// The settings file's path as the file system resolves it, folded as it compares names, into
// path; its length, 0 when the file cannot be opened.
size_t FoldedFinalPath(const char* settingsPath, wchar_t (&path)[LongPathCapacity])
{
    wchar_t given[LongPathCapacity];
    if (!WidenUtf8(settingsPath, given, LongPathCapacity)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    ScopedFile file(CreateFileW(given, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return 0;
    // The volume's device name: one name for a file reached through two drive letters (subst);
    // the drive-letter form where the system gives none.
    DWORD length =
        GetFinalPathNameByHandleW(file.Get(), given, LongPathCapacity, FILE_NAME_NORMALIZED | VOLUME_NAME_NT);
    if (!length || length >= LongPathCapacity)
        length = GetFinalPathNameByHandleW(file.Get(), given, LongPathCapacity, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (!length || length >= LongPathCapacity) return 0;
    // Upper case of the invariant locale, without linguistic rules: how file names compare.
    int folded = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, given, int(length), path, int(LongPathCapacity),
                               nullptr, nullptr, 0);
    return folded > 0 ? size_t(folded) : 0;
}

// The settings file's mutex, in the machine's namespace where the system allows it (a mutex
// there asks for no privilege, but a restricted process may be refused), else the session's.
bool OpenTurn(RunTurn& turn, const wchar_t* folded, size_t length)
{
    wchar_t name[TurnNameCapacity];
    TurnMutexName(folded, length, true, name);
    turn.Mutex.Reset(CreateMutexW(nullptr, FALSE, name));
    turn.Global = bool(turn.Mutex);
    if (turn.Mutex) return true;
    turn.GlobalRefusal = GetLastError();
    TurnMutexName(folded, length, false, name);
    turn.Mutex.Reset(CreateMutexW(nullptr, FALSE, name));
    return bool(turn.Mutex);
}

// A finding with the system's reason after it.
void TellWithReason(RunRecord& record, const char* words, uint32_t error)
{
    char reason[PathCapacity];
    ErrorTextOrWords(error, reason, sizeof reason);
    char text[TextCapacity];
    (void)TextJoin(text, {words, reason});
    WriteRecordOrDebugLine(record, text);
}

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
TurnAnswer TryRunTurn(const char* settingsPath, RunTurn& turn)
{
    wchar_t folded[LongPathCapacity];
    size_t length = FoldedFinalPath(settingsPath, folded);
    if (!length || !OpenTurn(turn, folded, length)) return {TurnFound::Failed, uint32_t(GetLastError())};
    DWORD waited = WaitForSingleObject(turn.Mutex.Get(), 0);
    if (waited == WAIT_TIMEOUT) return {TurnFound::Taken, 0};
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return {TurnFound::Failed, uint32_t(GetLastError())};
    turn.Held = true;
    return {waited == WAIT_ABANDONED ? TurnFound::Abandoned : TurnFound::Free, 0};
}

// Waits for the turn without limit (IfRunning=Queue asked for that): the process stays killable
// while it waits. True when the run before ended without letting go.
bool WaitRunTurn(RunTurn& turn)
{
    DWORD waited = WaitForSingleObject(turn.Mutex.Get(), INFINITE);
    turn.Held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    return waited == WAIT_ABANDONED;
}

}  // namespace

void EndRunTurn(RunTurn& turn)
{
    if (turn.Held) ReleaseMutex(turn.Mutex.Get());
    turn.Held = false;
    turn.Mutex.Reset();
}

TurnGo TakeRunTurn(const char* settingsPath, IfRunning when, RunRecord& record, RunTurn& turn)
{
    if (when == IfRunning::Parallel) return TurnGo::Run;
    TurnAnswer answer = TryRunTurn(settingsPath, turn);
    TimeMark("tasks: turn");
    if (answer.Found == TurnFound::Failed) {
        TellWithReason(record,
                       "IfRunning: the run cannot tell whether another run of this settings file is going, and "
                       "runs: ",
                       answer.Error);
        return TurnGo::Run;
    }
    if (!turn.Global)
        TellWithReason(record, "IfRunning: runs of other sessions are not seen, the machine's namespace refused: ",
                       turn.GlobalRefusal);
    if (answer.Found == TurnFound::Abandoned)
        WriteRecordOrDebugLine(
            record, "IfRunning: the last run of this settings file ended without letting go (killed or crashed)");
    if (answer.Found != TurnFound::Taken) return TurnGo::Run;
    if (when == IfRunning::Skip) {
        WriteRecordOrDebugLine(record, SkippedText);
        return TurnGo::Skip;
    }
    WriteRecordOrDebugLine(record, QueuedText);
    ULONGLONG begin = GetTickCount64();
    bool abandoned = WaitRunTurn(turn);
    char text[TextCapacity];
    DescribeWaited(GetTickCount64() - begin, abandoned, text, sizeof text);
    WriteRecordOrDebugLine(record, text);
    return TurnGo::RunAfterWait;
}
