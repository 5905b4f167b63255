// The run's exit code: the first step that went wrong, in run order, and the record's end line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher/run_outcome_core.h"
#include "settings/run_settings_core.h"

namespace {

ProgramOutcome Program(ProgramEnd end, uint32_t exitCode = 0, uint32_t error = 0)
{
    ProgramOutcome outcome = {};
    outcome.End = end;
    outcome.ExitCode = exitCode;
    outcome.Error = error;
    return outcome;
}

std::string EndLine(const RunOutcome& outcome, bool asked, const char* errorText = "")
{
    char text[256];
    DescribeRunEnd(outcome, asked, errorText, text, sizeof text);
    return text;
}

}  // namespace

TEST(RunOutcome, ExitCodeOptionReadsOnlyOutcome)
{
    EXPECT_TRUE(ParseExitCodeMode("Outcome"));
    EXPECT_TRUE(ParseExitCodeMode("OUTCOME"));
    for (const char* other : {"", "1", "Yes", "TRUE", "Outcomes", " Outcome"}) EXPECT_FALSE(ParseExitCodeMode(other));
}

// Codes as the system documents them: 2 not found, 193 not a valid application, 206 name too
// long, 1460 the time-out; a program's own code passes on.
TEST(RunOutcome, EachProgramEndHasTheCodeTheRuleGives)
{
    struct Case {
        ProgramOutcome outcome;
        uint32_t code;
    } cases[] = {
        {Program(ProgramEnd::NotFound, 0, 2), 2},
        {Program(ProgramEnd::NotStarted, 0, 193), 193},
        {Program(ProgramEnd::TooLong, 0, 206), 206},
        {Program(ProgramEnd::TooLong), 206},
        {Program(ProgramEnd::EndedAtTimeout), 1460},
        {Program(ProgramEnd::Exited, 7), 7},
        {Program(ProgramEnd::Exited, 0xC0000005u), 0xC0000005u},
        {Program(ProgramEnd::Exited, 0), 0},
        {Program(ProgramEnd::StillRunning), 0},  // a shown program past its time-out
        {Program(ProgramEnd::Nothing), 0},       // UNHIDE found nothing
        {Program(ProgramEnd::InstancesEnded), 0},
        {Program(ProgramEnd::InstanceShown), 0},
        {Program(ProgramEnd::FolderOpened), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.outcome.End));
        EXPECT_EQ(ProgramFailureCode(c.outcome), c.code);
    }
}

TEST(RunOutcome, TheFirstFailureInRunOrderCounts)
{
    RunOutcome outcome = {};
    NoteFailure(outcome, nullptr, "settings file", 0);
    NoteFailure(outcome, "PREVIOUS TASK", "copy before", 0);
    NoteProgram(outcome, "PREVIOUS TASK", Program(ProgramEnd::Exited, 0));
    EXPECT_EQ(outcome.Code, 0u);
    EXPECT_EQ(EndLine(outcome, true), "end: exit code 0, no step went wrong");
    EXPECT_EQ(EndLine(outcome, false), "end: exit code 0; would exit with 0, no step went wrong");

    NoteProgram(outcome, "PREVIOUS TASK", Program(ProgramEnd::Exited, 3));
    NoteFailure(outcome, "MAIN TASK", "copy after", 80);
    NoteProgram(outcome, "MAIN TASK", Program(ProgramEnd::EndedAtTimeout));
    EXPECT_EQ(outcome.Code, 3u);
    EXPECT_EQ(EndLine(outcome, true, "ignored"),
              "end: exit code 3, from PREVIOUS TASK: program: the program's own exit code");

    RunOutcome copy = {};
    NoteFailure(copy, "MAIN TASK", "copy before", 80);
    NoteProgram(copy, "MAIN TASK", Program(ProgramEnd::Exited, 3));
    EXPECT_EQ(copy.Code, 80u);
    EXPECT_EQ(EndLine(copy, false, "The file exists."),
              "end: exit code 0; would exit with 80, from MAIN TASK: copy before: The file exists.");

    RunOutcome cut = {};
    NoteFailure(cut, std::string(300, 't').c_str(), "copy before", 5);
    std::string line = EndLine(cut, true, "Access is denied.");
    EXPECT_EQ(line.substr(line.size() - 3), "...");
}

TEST(RunOutcome, SettingsProblemsNameSectionKeyValueAndWhatWasTaken)
{
    char text[128];
    DescribeSettingsProblem({TaskId::Main, "CopyOverwirte", "1", -1}, 0, text, sizeof text);
    EXPECT_STREQ(text, "settings: [OPTIONS] CopyOverwirte=1: no such key, ignored");
    int32_t timeout = -1, askExecute = -1;
    for (int32_t i = 0; i < SettingsKeyCount; ++i) {
        if (std::string(SettingsKeys[i].Name) == "Timeout") timeout = i;
        if (std::string(SettingsKeys[i].Name) == "AskExecute") askExecute = i;
    }
    DescribeSettingsProblem({TaskId::Previous, "timeout", "abc", timeout}, 0, text, sizeof text);
    EXPECT_STREQ(text, "settings: [PREVIOUS] timeout=abc: not a number, read as 0");
    DescribeSettingsProblem({TaskId::Main, "AskExecute", "yes", askExecute}, 0, text, sizeof text);
    EXPECT_STREQ(text, "settings: [OPTIONS] AskExecute=yes: not a number or TRUE, read as 0");
}
