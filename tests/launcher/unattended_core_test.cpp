// Runs nobody watches, the platform-free parts: the [RUN] values, the record's lines, and the
// words for an error the system has no text for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/unattended_core.h"
#include "launcher/run_record_core.h"
#include "settings/run_settings_core.h"

TEST(RunSection, PromptDefaultAndTimeoutReadAsDocumented)
{
    struct Answer {
        const char* text;
        bool yes;
    } answers[] = {{"Yes", true}, {"yes", true}, {"TRUE", true}, {"true", true}, {"1", true},
                   {"No", false}, {"", false},   {"0", false},   {"2", false},   {"Yes please", false}};
    for (const Answer& a : answers) EXPECT_EQ(ParsePromptDefault(a.text), a.yes) << a.text;

    struct Seconds {
        const char* text;
        uint32_t seconds;
    } timeouts[] = {{"", 0},
                    {"3", 3},
                    {" 30", 30},
                    {"30s", 30},
                    {"x3", 0},
                    {"-3", 0},
                    // past what a wait in milliseconds holds: the longest one it does
                    {"4294967297", 4294967u},
                    {"99999999999999999999", 4294967u}};
    for (const Seconds& t : timeouts) EXPECT_EQ(ParsePromptTimeout(t.text), t.seconds) << t.text;
}

// IfRunning, CopyRetries and CopyRetryWait as the settings-file page gives them: letter case
// ignored, an unknown value is Parallel, a count without digits is its default, and the counts
// stop at 100 retries and 3600 seconds however large the number written.
TEST(RunSection, IfRunningAndCopyRetriesReadAsDocumented)
{
    struct When {
        const char* text;
        IfRunning when;
    } whens[] = {{"Skip", IfRunning::Skip},         {"SKIP", IfRunning::Skip},      {"queue", IfRunning::Queue},
                 {"Parallel", IfRunning::Parallel}, {"", IfRunning::Parallel},      {"Skip ", IfRunning::Parallel},
                 {"Wait", IfRunning::Parallel},     {"Queued", IfRunning::Parallel}};
    for (const When& w : whens) EXPECT_EQ(ParseIfRunning(w.text), w.when) << w.text;

    struct Count {
        const char* text;
        uint32_t retries, waitSeconds;
    } counts[] = {{"", 0, 5},        {"3", 3, 3},         {" 7", 7, 7},        {"2x", 2, 2},
                  {"x2", 0, 5},      {"-1", 0, 5},        {"0", 0, 0},         {"100", 100, 100},
                  {"101", 100, 101}, {"3600", 100, 3600}, {"3601", 100, 3600}, {"99999999999999999999", 100, 3600}};
    for (const Count& c : counts) {
        EXPECT_EQ(ParseBoundedCount(c.text, 0, MostCopyRetries), c.retries) << c.text;
        EXPECT_EQ(ParseBoundedCount(c.text, DefaultCopyRetryWait, LongestCopyRetryWait), c.waitSeconds) << c.text;
    }
}

TEST(RunRecord, LinesCarryTimeAndProcessAndStayOneLine)
{
    RecordStamp stamp = {2025, 4, 23, 3, 0, 1, 4711};
    char line[128];
    struct Case {
        const char* text;
        const char* line;
    } cases[] = {
        {"start", "2025-04-23 03:00:01 [4711] start\r\n"},
        {"Copy file(s)?\n\nC:\\a\n\nTo\n\nD:\\b", "2025-04-23 03:00:01 [4711] Copy file(s)? C:\\a To D:\\b\r\n"},
        {"tab\there\r\n", "2025-04-23 03:00:01 [4711] tab here\r\n"},
        {"\xE6\x97\xA5\xE6\x9C\xAC.txt", "2025-04-23 03:00:01 [4711] \xE6\x97\xA5\xE6\x9C\xAC.txt\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(FormatRecordLine(stamp, c.text, line, sizeof line));
        EXPECT_STREQ(line, c.line);
    }
    std::string tooLong(500, 'q');
    EXPECT_FALSE(FormatRecordLine(stamp, tooLong.c_str(), line, sizeof line));
    std::string cut = line;
    EXPECT_EQ(cut.size(), sizeof line - 1);
    EXPECT_EQ(cut.substr(cut.size() - 5), "...\r\n");
}

TEST(RunRecord, StepsSayWhatHappened)
{
    char text[512];
    ProgramOutcome outcome = {};
    std::string commandLine = "C:\\t\\a.exe x";
    commandLine.copy(outcome.CommandLine, commandLine.size());
    outcome.ProcessId = 12;
    struct Case {
        ProgramEnd end;
        const char* tail;
    } cases[] = {
        {ProgramEnd::Exited, ": process 12 exited with code 3"},
        {ProgramEnd::EndedAtTimeout, ": process 12 ended at the time-out"},
        {ProgramEnd::StillRunning, ": process 12 still running when the launcher returned"},
        {ProgramEnd::NotStarted, ": could not be started: Bad format."},
    };
    outcome.ExitCode = 3;
    for (const Case& c : cases) {
        outcome.End = c.end;
        DescribeProgramOutcome("MAIN TASK", outcome, "Bad format.", text, sizeof text);
        EXPECT_EQ(std::string(text), std::string("MAIN TASK: program C:\\t\\a.exe x") + c.tail);
    }
    // The output file of a started program, kept or not.
    std::string file = "C:\\logs\\job.txt";
    file.copy(outcome.OutputFile, file.size());
    struct Output {
        ProgramEnd end;
        OutputKept kept;
        const char* tail;
    } outputs[] = {
        {ProgramEnd::Exited, OutputKept::Kept, ": process 12 exited with code 3; output in C:\\logs\\job.txt"},
        {ProgramEnd::EndedAtTimeout, OutputKept::NotKept,
         ": process 12 ended at the time-out; output not kept, C:\\logs\\job.txt: Access is denied."},
        {ProgramEnd::NotFound, OutputKept::Kept, ": could not be found: Bad format."},  // never started: no file named
    };
    for (const Output& o : outputs) {
        outcome.End = o.end;
        outcome.Output = o.kept;
        DescribeProgramOutcome("MAIN TASK", outcome, "Bad format.", text, sizeof text, "Access is denied.");
        EXPECT_EQ(std::string(text), std::string("MAIN TASK: program C:\\t\\a.exe x") + o.tail);
    }
    DescribePrompt("PREVIOUS TASK", "Copy file(s)?", true, PromptAnsweredBy::TimeOut, text, sizeof text);
    EXPECT_STREQ(text, "PREVIOUS TASK: prompt \"Copy file(s)?\": Yes, taken at the time-out (PromptDefault)");
    DescribeCopy("MAIN TASK", "C:\\s", "D:\\t", 3, 1, text, sizeof text);
    EXPECT_STREQ(text, "MAIN TASK: copy C:\\s to D:\\t: 3 file(s) copied, 1 failed");
}

// Whole UTF-8 sequences only: lead bytes followed by as many continuation bytes as they announce.
bool WholeUtf8(const std::string& text)
{
    for (size_t i = 0; i < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        if (!length || i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

// A line cut to its buffer ends in "..." where a character ends, whatever the buffer's size.
TEST(RunRecord, CutLinesStayWholeUtf8)
{
    std::string japanese;
    for (int i = 0; i < 40; ++i) japanese += "\xE6\x97\xA5";
    for (size_t capacity = 20; capacity < 40; ++capacity) {
        std::vector<char> text(capacity);
        DescribePrompt("MAIN TASK", japanese.c_str(), true, PromptAnsweredBy::User, text.data(), capacity);
        std::string shown = text.data();
        EXPECT_TRUE(WholeUtf8(shown)) << capacity;
        EXPECT_EQ(shown.substr(shown.size() - 3), "...") << capacity;
        DescribeCopyFailure("MAIN TASK", japanese.c_str(), "D:\\t", "x", text.data(), capacity);
        EXPECT_TRUE(WholeUtf8(text.data())) << capacity;
    }
}

TEST(ErrorWords, TheCodeWhenTheSystemHasNoText)
{
    char text[32];
    ErrorCodeWords(1234, text, sizeof text);
    EXPECT_STREQ(text, "Error 1234.");
    ErrorCodeWords(0xFFFFFFFFu, text, sizeof text);
    EXPECT_STREQ(text, "Error 4294967295.");
}
