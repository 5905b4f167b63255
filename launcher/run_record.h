// The run's record: the file named by the settings' LogFile, to which each run appends lines
// (UTF-8; a new file starts with a byte-order mark, so Notepad reads any alphabet).
#pragma once

#include <cstdint>

#include "common/scoped.h"
#include "filecopy/file_copy.h"
#include "launcher/run_record_core.h"
#include "process/program_outcome.h"

struct RunRecord {
    ScopedFile File;  // empty: no record is kept
    bool Failed;      // a write failed (said once, in a debug line); later lines are dropped
    bool Held;        // a line found the record held by someone else past the bound (said once)
};

// How long a line waits for its turn at the record before it is dropped: a launcher stuck on
// a share that stopped answering, or a suspended one, must not hold this run.
constexpr uint32_t RecordTurnMilliseconds = 2000;

// Opens (or creates, with the folders it needs) the record at path (UTF-8). A record that
// cannot be opened, or is no file on a disk (a device, a pipe), writes one debug line and
// leaves record empty: the run goes on unchanged.
void OpenRunRecord(RunRecord& record, const char* path);

// Appends one line with the time and this process's id (text made one line). Each line is one
// write at the end in its turn, so lines of launchers writing at once stay whole. A line whose
// turn does not come within RecordTurnMilliseconds is dropped (once the record was held that
// long, later lines are tried once, without waiting).
void WriteRecordLine(RunRecord& record, const char* text);
// The record's line, or one debug line where no record is kept.
void WriteRecordOrDebugLine(RunRecord& record, const char* text);

// The lines of the steps, each with the task's name ("MAIN TASK").
void RecordPrompt(RunRecord& record, const char* task, const char* promptText, bool yes, PromptAnsweredBy by);
void RecordProgram(RunRecord& record, const char* task, const ProgramOutcome& outcome);

// One copy's tally; RecordCopyEvent is its CopySettings report sink (context: the tally).
struct CopyTally {
    RunRecord* Record;
    const char* Task;
    uint32_t Copied;
    uint32_t Failed;
    uint32_t FirstError;  // the code of the first failure, 0 while there is none
    uint32_t Retries;     // the copy's CopySettings retries and wait, for the retry lines
    uint32_t RetryWaitSeconds;
};
void RecordCopyEvent(void* tally, const CopyEvent& event);
// The copy's closing line: what was copied and how many failed.
void RecordCopy(const CopyTally& tally, const char* source, const char* target);
