#include "launcher/run_record.h"

#include <windows.h>

#include "common/buffers.h"
#include "common/debug_line.h"
#include "common/error_text.h"
#include "common/file_system.h"
#include "common/text.h"
#include "common/unattended.h"
#include "common/unicode.h"
#include "filecopy/file_copy_core.h"
#include "launcher/run_record_core.h"

namespace {

constexpr char ByteOrderMark[] = "\xEF\xBB\xBF";

void SayRecordFailed(const char* what, const char* path, DWORD error)
{
    char reason[PathCapacity];
    ErrorTextOrWords(error, reason, sizeof reason);
    char line[TextCapacity];
    (void)TextJoin(line, {"The run's record (LogFile) ", what, ": ", path, path[0] ? ": " : nullptr, reason});
    DebugLine(line);
}

bool WriteWhole(HANDLE file, const char* bytes, DWORD length)
{
    DWORD written = 0;
    return WriteFile(file, bytes, length, &written, nullptr) && written == length;
}

enum class Append { Written, Failed, Held };

// Takes the record's turn lock within milliseconds; false when the lock is held that long. The
// handle is synchronous, so a waiting lock could not be given up: it is tried without waiting,
// again and again until the bound.
bool TakeTurn(HANDLE file, OVERLAPPED& turn, uint32_t milliseconds, bool& locked)
{
    DWORD begin = GetTickCount();
    for (;;) {
        if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &turn)) {
            locked = true;
            return true;
        }
        // A file system without locks still gets the line, appended without one.
        if (GetLastError() != ERROR_LOCK_VIOLATION && GetLastError() != ERROR_IO_PENDING) return true;
        if (GetTickCount() - begin >= milliseconds) return false;
        Sleep(20);
    }
}

// Launchers sharing one record take turns: each holds a lock while it writes at the end, so
// no line overwrites or splits another, on a local disk or a share (under Wine appending
// alone is not enough). The lock is on a byte far past any real end, since a locked range
// cannot be read on Windows and someone may be reading the record.
Append AppendInTurn(HANDLE file, const char* bytes, DWORD length, uint32_t milliseconds)
{
    OVERLAPPED turn = {};
    turn.OffsetHigh = 0x40000000;
    bool locked = false;
    if (!TakeTurn(file, turn, milliseconds, locked)) return Append::Held;
    LARGE_INTEGER end = {};
    bool written = SetFilePointerEx(file, LARGE_INTEGER{}, &end, FILE_END) &&
                   (end.QuadPart != 0 || WriteWhole(file, ByteOrderMark, 3)) && WriteWhole(file, bytes, length);
    DWORD error = GetLastError();
    if (locked) UnlockFileEx(file, 0, 1, 0, &turn);
    SetLastError(error);
    // Someone holding the whole file keeps the write out as well (Windows locks are binding).
    if (!written && error == ERROR_LOCK_VIOLATION) return Append::Held;
    return written ? Append::Written : Append::Failed;
}

}  // namespace

void OpenRunRecord(RunRecord& record, const char* path)
{
    record.File.Reset();
    record.Failed = false;
    record.Held = false;
    if (!path[0]) return;
    wchar_t wide[TextCapacity];
    if (!WidenUtf8(path, wide, TextCapacity)) {
        SayRecordFailed("cannot be opened", path, ERROR_INVALID_NAME);
        return;
    }
    (void)CreateFolderOf(wide);  // one that cannot be made fails the open, which says why
    // A new record gets its byte-order mark with its first line (AppendInTurn).
    record.File.Reset(CreateFileW(wide, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!record.File) {
        SayRecordFailed("cannot be opened", path, GetLastError());
        return;
    }
    // A device or a pipe can block a write for ever, and NUL keeps nothing: not a record.
    if (GetFileType(record.File.Get()) != FILE_TYPE_DISK) {
        record.File.Reset();
        DebugLine("The run's record (LogFile) is not kept: it names no file on a disk (a device or a pipe).");
    }
}

void WriteRecordLine(RunRecord& record, const char* text)
{
    if (!record.File || record.Failed) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    RecordStamp stamp = {
        now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, uint32_t(GetCurrentProcessId())};
    char line[TextCapacity + 64];
    (void)FormatRecordLine(stamp, text, line, sizeof line);  // a cut line ends in "..."
    Append done =
        AppendInTurn(record.File.Get(), line, DWORD(TextLength(line)), record.Held ? 0 : RecordTurnMilliseconds);
    if (done == Append::Written) return;
    if (done == Append::Held) {
        if (!record.Held)
            DebugLine(
                "The run's record (LogFile) is held by another process: a line was not written, and later "
                "lines are written only when the record is free.");
        record.Held = true;
        return;
    }
    record.Failed = true;
    SayRecordFailed("cannot be written", "", GetLastError());
}

void RecordPrompt(RunRecord& record, const char* task, const char* promptText, bool yes, PromptAnsweredBy by)
{
    if (!record.File) return;
    char text[TextCapacity];
    DescribePrompt(task, promptText, yes, by, text, sizeof text);
    WriteRecordLine(record, text);
}

void RecordProgram(RunRecord& record, const char* task, const ProgramOutcome& outcome)
{
    if (!record.File) return;
    char reason[PathCapacity] = {};
    if (outcome.End == ProgramEnd::NotFound || outcome.End == ProgramEnd::NotStarted)
        ErrorTextOrWords(outcome.Error, reason, sizeof reason);
    char outputReason[PathCapacity] = {};
    if (outcome.Output == OutputKept::NotKept) ErrorTextOrWords(outcome.OutputError, outputReason, sizeof outputReason);
    char text[TextCapacity];
    DescribeProgramOutcome(task, outcome, reason, text, sizeof text, outputReason);
    WriteRecordLine(record, text);
    uint32_t kept = outcome.PassedOverCount < PassedOverKept ? outcome.PassedOverCount : PassedOverKept;
    for (uint32_t i = 0; i < kept; ++i) {
        ErrorTextOrWords(outcome.PassedOver[i].Error, reason, sizeof reason);
        DescribePassedOver(task, outcome.CommandLine, outcome.PassedOver[i].ProcessId, reason, text, sizeof text);
        WriteRecordLine(record, text);
    }
    if (outcome.PassedOverCount > kept) WriteRecordLine(record, "TERM passed over more instances: see the debug lines");
}

namespace {

// A copy's reported path (up to four wide pieces) as UTF-8.
void JoinedAsUtf8(const JoinedText& joined, char* output, uint32_t capacity)
{
    wchar_t whole[TextCapacity];
    bool fit = TextCopy(whole, joined.a) && TextAppend(whole, joined.b) && TextAppend(whole, joined.c) &&
               TextAppend(whole, joined.d);
    (void)fit;  // a cut path is still the best trace there is
    if (!NarrowToUtf8(whole, output, capacity)) output[0] = '\0';
}

}  // namespace

void RecordCopyEvent(void* context, const CopyEvent& event)
{
    CopyTally& tally = *static_cast<CopyTally*>(context);
    if (event.kind == CopyEventKind::Copied) {
        ++tally.Copied;
        return;
    }
    if (event.kind == CopyEventKind::Failed && !tally.Failed++) tally.FirstError = event.code;
    if (!tally.Record->File) return;
    char source[TextCapacity], target[TextCapacity], reason[PathCapacity] = {}, text[TextCapacity];
    JoinedAsUtf8(*event.source, source, sizeof source);
    if (event.kind != CopyEventKind::LinkNotFollowed) ErrorTextOrWords(event.code, reason, sizeof reason);
    if (event.kind == CopyEventKind::Failed) {
        JoinedAsUtf8(*event.destination, target, sizeof target);
        DescribeCopyFailure(tally.Task, source, target, reason, text, sizeof text);
    } else if (event.kind == CopyEventKind::Retrying) {
        JoinedAsUtf8(*event.destination, target, sizeof target);
        CopyRetry retry = {event.retry, tally.Retries, tally.RetryWaitSeconds};
        DescribeCopyRetry(tally.Task, source, target, reason, retry, text, sizeof text);
    } else {
        DescribeCopyNotice(tally.Task, event.kind == CopyEventKind::LinkNotFollowed, source, reason, text, sizeof text);
    }
    WriteRecordLine(*tally.Record, text);
}

void RecordCopy(const CopyTally& tally, const char* source, const char* target)
{
    if (!tally.Record->File) return;
    char text[TextCapacity];
    DescribeCopy(tally.Task, source, target, tally.Copied, tally.Failed, text, sizeof text);
    WriteRecordLine(*tally.Record, text);
}

void WriteRecordOrDebugLine(RunRecord& record, const char* text)
{
    if (record.File)
        WriteRecordLine(record, text);
    else
        DebugLine(text);
}
