// The run's outcome as one exit code a scheduler can read: the code of the first step that went
// wrong, in the order the run takes them; 0 when none did. Free of any platform call.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/buffers.h"
#include "process/program_outcome.h"
#include "settings/settings_file_core.h"

// The system's codes the outcome gives where no call failed with one of its own:
// ERROR_TIMEOUT for a program ended at its time-out, ERROR_FILENAME_EXCED_RANGE for a command
// line that would not fit.
constexpr uint32_t TimedOutCode = 1460;
constexpr uint32_t TooLongCode = 206;
// A branch name that would have reached the command interpreter as more than text: the
// program was not started (ERROR_INVALID_PARAMETER).
constexpr uint32_t RefusedTextCode = 87;

struct RunOutcome {
    uint32_t Code;            // 0 while no step went wrong
    bool SystemCode;          // Code is a system error code (else a program's own exit code)
    char Step[PathCapacity];  // where it came from: "MAIN TASK: copy before", "settings file"
};

// Keeps the first failure: a later one, or a code of 0, leaves the outcome as it is. task may be
// null (a step of the launcher's own).
void NoteFailure(RunOutcome& outcome, const char* task, const char* step, uint32_t code, bool systemCode = true);
// A program step's failure code: its system error when it was not found, not started or its
// line did not fit; TimedOutCode when it was ended at its time-out; its own exit code when it
// ended by itself. 0 for everything else: an instance shown or ended, nothing found to show, a
// folder opened, a program still running.
uint32_t ProgramFailureCode(const ProgramOutcome& outcome);
// Notes a program step through ProgramFailureCode.
void NoteProgram(RunOutcome& outcome, const char* task, const ProgramOutcome& program);

// The record's last line: "end: exit code 80, from MAIN TASK: copy before: <errorText>"; when the
// exit code was not asked for, "end: exit code 0; would exit with 80, from ...". errorText is the
// system's text for a system code (ignored for a program's own code). A cut text ends in "...".
void DescribeRunEnd(const RunOutcome& outcome, bool asked, const char* errorText, char* text, size_t capacity);

// One of the record's first lines: "settings: [OPTIONS] CopyOverwirte=1: no such key, ignored",
// "settings: [OPTIONS] Timeout=abc: not a number, read as 0". readAs is what the run took.
void DescribeSettingsProblem(const SettingsProblem& problem, int32_t readAs, char* text, size_t capacity);
