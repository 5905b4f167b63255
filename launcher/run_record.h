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
};

// Opens (or creates, with the folders it needs) the record at path (UTF-8). A record that
// cannot be opened writes one debug line and leaves record empty: the run goes on unchanged.
void OpenRunRecord(RunRecord& record, const char* path);

// Appends one line with the time and this process's id (text made one line). Each line is one
// write to a file opened for appending only, so lines of launchers writing at once stay whole.
void WriteRecordLine(RunRecord& record, const char* text);

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
};
void RecordCopyEvent(void* tally, const CopyEvent& event);
// The copy's closing line: what was copied and how many failed.
void RecordCopy(const CopyTally& tally, const char* source, const char* target);
