#include "launcher/run_outcome_core.h"

#include "common/number.h"
#include "common/text.h"

void NoteFailure(RunOutcome& outcome, const char* task, const char* step, uint32_t code, bool systemCode)
{
    if (outcome.Code || !code) return;
    outcome.Code = code;
    outcome.SystemCode = systemCode;
    outcome.Step[0] = '\0';
    bool fit =
        (!task || (TextAppend(outcome.Step, task) && TextAppend(outcome.Step, ": "))) && TextAppend(outcome.Step, step);
    if (!fit) MarkTextCut(outcome.Step, sizeof outcome.Step);
}

uint32_t ProgramFailureCode(const ProgramOutcome& outcome)
{
    switch (outcome.End) {
    case ProgramEnd::NotFound:
    case ProgramEnd::NotStarted: return outcome.Error;
    case ProgramEnd::TooLong: return outcome.Error ? outcome.Error : TooLongCode;
    case ProgramEnd::UnsafeText: return RefusedTextCode;
    case ProgramEnd::EndedAtTimeout: return TimedOutCode;
    case ProgramEnd::Exited: return outcome.ExitCode;
    case ProgramEnd::Nothing:
    case ProgramEnd::FolderOpened:
    case ProgramEnd::InstancesEnded:
    case ProgramEnd::InstanceShown:
    case ProgramEnd::StillRunning: return 0;
    }
    return 0;
}

void NoteProgram(RunOutcome& outcome, const char* task, const ProgramOutcome& program)
{
    NoteFailure(outcome, task, "program", ProgramFailureCode(program), program.End != ProgramEnd::Exited);
}

void DescribeRunEnd(const RunOutcome& outcome, bool asked, const char* errorText, char* text, size_t capacity)
{
    char code[DecimalCapacity];
    FormatUnsignedDecimal(outcome.Code, code);
    text[0] = '\0';
    bool fit = TextAppend(text, capacity, asked ? "end: exit code " : "end: exit code 0; would exit with ") &&
               TextAppend(text, capacity, code);
    if (!outcome.Code) {
        fit = fit && TextAppend(text, capacity, ", no step went wrong");
    } else {
        fit = fit && TextAppend(text, capacity, ", from ") && TextAppend(text, capacity, outcome.Step) &&
              TextAppend(text, capacity, ": ") &&
              TextAppend(text, capacity, outcome.SystemCode ? errorText : "the program's own exit code");
    }
    if (!fit) MarkTextCut(text, capacity);
}

void DescribeSettingsProblem(const SettingsProblem& problem, int32_t readAs, char* text, size_t capacity)
{
    const char* what = problem.KeyIndex < 0                                     ? ": no such key, ignored"
                       : SettingsKeys[problem.KeyIndex].Kind == KeyKind::Number ? ": not a number, read as "
                                                                                : ": not a number or TRUE, read as ";
    char number[DecimalCapacity];
    FormatSignedDecimal(readAs, number);
    text[0] = '\0';
    bool fit = TextAppend(text, capacity, "settings: [") &&
               TextAppend(text, capacity, SectionNames[problem.Task == TaskId::Previous ? 0 : 1]) &&
               TextAppend(text, capacity, "] ") && TextAppend(text, capacity, problem.Key) &&
               TextAppend(text, capacity, "=") && TextAppend(text, capacity, problem.Value) &&
               TextAppend(text, capacity, what) && (problem.KeyIndex < 0 || TextAppend(text, capacity, number));
    if (!fit) MarkTextCut(text, capacity);
}
