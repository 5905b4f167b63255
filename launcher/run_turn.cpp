#include "launcher/run_turn.h"

#include <windows.h>

#include "common/file_system_core.h"
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
    // The volume's device name: one name for a file reached through two drive letters (subst,
    // a mapped share); the drive-letter form where the system gives none.
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

}  // namespace

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

bool WaitRunTurn(RunTurn& turn)
{
    DWORD waited = WaitForSingleObject(turn.Mutex.Get(), INFINITE);
    turn.Held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    return waited == WAIT_ABANDONED;
}

void EndRunTurn(RunTurn& turn)
{
    if (turn.Held) ReleaseMutex(turn.Mutex.Get());
    turn.Held = false;
    turn.Mutex.Reset();
}
