#include "launcher/run_record_core.h"

#include "common/number.h"
#include "common/text.h"
#include "common/unattended_core.h"

namespace {

void Digits(uint32_t value, char (&text)[DecimalCapacity]) { FormatUnsignedDecimal(value, text); }

void TwoDigits(uint32_t value, char (&text)[3]) { FormatTwoDigits(value % 100u, text); }

}  // namespace

bool FormatRecordLine(const RecordStamp& stamp, const char* text, char* line, size_t capacity)
{
    if (capacity < 8) {
        if (capacity) line[0] = '\0';
        return false;
    }
    char year[DecimalCapacity], pid[DecimalCapacity];
    char month[3], day[3], hour[3], minute[3], second[3];
    Digits(stamp.Year, year);
    Digits(stamp.ProcessId, pid);
    TwoDigits(stamp.Month, month);
    TwoDigits(stamp.Day, day);
    TwoDigits(stamp.Hour, hour);
    TwoDigits(stamp.Minute, minute);
    TwoDigits(stamp.Second, second);
    // Two bytes stay free for the CR LF, whatever the text.
    size_t room = capacity - 2;
    (void)TextJoin(line, room, {year, "-", month, "-", day, " ", hour, ":", minute, ":", second, " [", pid, "] "});
    bool fit = TextLength(line) + 1 < room && AppendAsOneLine(line, room, text);
    size_t end = TextLength(line);
    line[end] = '\r';
    line[end + 1] = '\n';
    line[end + 2] = '\0';
    return fit;
}

void DescribePrompt(const char* task, const char* promptText, bool yes, PromptAnsweredBy by, char* text,
                    size_t capacity)
{
    const char* who = by == PromptAnsweredBy::User      ? ", answered by the user"
                      : by == PromptAnsweredBy::TimeOut ? ", taken at the time-out (PromptDefault)"
                                                        : ", nobody could see it (PromptDefault)";
    (void)TextJoin(text, capacity, {task, ": prompt \"", promptText, "\": ", yes ? "Yes" : "No", who});
}

namespace {

// What became of a started program's output: "; output in <file>" and the like; empty when
// none was asked for, or the program never started.
void OutputWords(const ProgramOutcome& outcome, const char* errorText, const char* (&words)[4])
{
    bool started = outcome.End == ProgramEnd::Exited || outcome.End == ProgramEnd::EndedAtTimeout ||
                   outcome.End == ProgramEnd::StillRunning;
    words[0] = words[1] = words[2] = words[3] = "";
    if (!started || outcome.Output == OutputKept::NotAsked) return;
    words[1] = outcome.OutputFile;
    switch (outcome.Output) {
    case OutputKept::NotAsked: break;
    case OutputKept::Kept: words[0] = "; output in "; break;
    case OutputKept::NotKept:
        words[0] = "; output not kept, ";
        words[2] = ": ";
        words[3] = errorText;
        break;
    case OutputKept::NoDiskFile:
        words[0] = "; output not kept, ";
        words[2] = ": it names no file on a disk (a device or a pipe)";
        break;
    case OutputKept::Shown:
        words[0] = "; output not kept, ";
        words[2] = ": the program was started shown, its output stays in its console window";
        break;
    }
}

}  // namespace

void DescribeProgramOutcome(const char* task, const ProgramOutcome& outcome, const char* errorText, char* text,
                            size_t capacity, const char* outputErrorText)
{
    char pid[DecimalCapacity], number[DecimalCapacity];
    Digits(outcome.ProcessId, pid);
    // What follows "<task>: program <command line>: ".
    struct Words {
        const char *a = "", *b = "", *c = "", *d = "";
    } words;
    switch (outcome.End) {
    case ProgramEnd::Nothing: words = {"nothing to do"}; break;
    case ProgramEnd::NotFound: words = {"could not be found: ", errorText}; break;
    case ProgramEnd::NotStarted: words = {"could not be started: ", errorText}; break;
    case ProgramEnd::TooLong: words = {"not started, the command line is too long"}; break;
    case ProgramEnd::UnsafeText:
        words = {"not started, the branch name (%GITBRANCHNAME%) cannot reach the command interpreter as text"};
        break;
    case ProgramEnd::FolderOpened: words = {"folder opened"}; break;
    case ProgramEnd::InstancesEnded:
        Digits(outcome.Count, number);
        words = {"running instances ended: ", number};
        break;
    case ProgramEnd::InstanceShown: words = {"running instance shown, process ", pid}; break;
    case ProgramEnd::Exited:
        Digits(outcome.ExitCode, number);
        words = {"process ", pid, " exited with code ", number};
        break;
    case ProgramEnd::EndedAtTimeout: words = {"process ", pid, " ended at the time-out"}; break;
    case ProgramEnd::StillRunning: words = {"process ", pid, " still running when the launcher returned"}; break;
    }
    const char* output[4];
    OutputWords(outcome, outputErrorText, output);
    (void)TextJoin(
        text, capacity,
        {task, ": program ", outcome.CommandLine, ": ", words.a, words.b, words.c, words.d,
         outcome.BoxClosedByItself ? "; nobody answered the error box: it closed by itself (PromptTimeout)" : "",
         output[0], output[1], output[2], output[3]});
}

void DescribePassedOver(const char* task, const char* commandLine, uint32_t processId, const char* errorText,
                        char* text, size_t capacity)
{
    char pid[DecimalCapacity];
    Digits(processId, pid);
    (void)TextJoin(
        text, capacity,
        {task, ": program ", commandLine, ": process ", pid, " passed over, it could not be ended: ", errorText});
}

void DescribeCopyFailure(const char* task, const char* source, const char* target, const char* errorText, char* text,
                         size_t capacity)
{
    (void)TextJoin(text, capacity, {task, ": copy failed: ", source, " to ", target, ": ", errorText});
}

void DescribeCopyRetry(const char* task, const char* source, const char* target, const char* errorText,
                       const CopyRetry& retry, char* text, size_t capacity)
{
    char number[DecimalCapacity], of[DecimalCapacity], seconds[DecimalCapacity];
    Digits(retry.Retry, number);
    Digits(retry.Retries, of);
    Digits(retry.WaitSeconds, seconds);
    (void)TextJoin(text, capacity,
                   {task, ": copy held: ", source, " to ", target, ": ", errorText, "; retry ", number, " of ", of,
                    " in ", seconds, " s"});
}

void DescribeCopyNotice(const char* task, bool link, const char* path, const char* errorText, char* text,
                        size_t capacity)
{
    if (link)
        (void)TextJoin(text, capacity, {task, ": copy: folder link not followed: ", path});
    else
        (void)TextJoin(text, capacity, {task, ": copy: left under its temporary name: ", path, ": ", errorText});
}

void DescribeCopy(const char* task, const char* source, const char* target, uint32_t copied, uint32_t failed,
                  char* text, size_t capacity)
{
    char copiedText[DecimalCapacity], failedText[DecimalCapacity];
    Digits(copied, copiedText);
    Digits(failed, failedText);
    (void)TextJoin(
        text, capacity,
        {task, ": copy ", source, " to ", target, ": ", copiedText, " file(s) copied, ", failedText, " failed"});
}
