#include "launcher/run_outcome_core.h"

#include "common/number.h"
#include "common/text.h"

void NoteFailure(RunOutcome& outcome, const char* task, const char* step, uint32_t code, bool systemCode)
{
    if (outcome.Code || !code) return;
    outcome.Code = code;
    outcome.SystemCode = systemCode;
    (void)TextJoin(outcome.Step, {task, task ? ": " : nullptr, step});
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
    const char* start = asked ? "end: exit code " : "end: exit code 0; would exit with ";
    if (!outcome.Code)
        (void)TextJoin(text, capacity, {start, code, ", no step went wrong"});
    else
        (void)TextJoin(text, capacity,
                       {start, code, ", from ", outcome.Step, ": ",
                        outcome.SystemCode ? errorText : "the program's own exit code"});
}

void DescribeSettingsProblem(const SettingsProblem& problem, int32_t readAs, char* text, size_t capacity)
{
    const char* what = problem.KeyIndex < 0                                     ? ": no such key, ignored"
                       : SettingsKeys[problem.KeyIndex].Kind == KeyKind::Number ? ": not a number, read as "
                                                                                : ": not a number or TRUE, read as ";
    char number[DecimalCapacity];
    FormatSignedDecimal(readAs, number);
    (void)TextJoin(text, capacity,
                   {"settings: [", SectionNames[problem.Task == TaskId::Previous ? 0 : 1], "] ", problem.Key, "=",
                    problem.Value, what, problem.KeyIndex < 0 ? nullptr : number});
}
