#include "launcher/command_line_core.h"

#include "common/number.h"
#include "common/text.h"
#include "common/timeout.h"

namespace {

bool IsSeparator(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' ' || c == ','; }

const char* SkipSeparators(const char* p)
{
    while (IsSeparator(*p)) ++p;
    return *p ? p : nullptr;
}

const char* FindQuote(const char* p)
{
    while (*p && *p != '"') ++p;
    return *p ? p : nullptr;
}

bool SpanEquals(TextSpan a, const char* word, size_t wordLength, EqualIgnoringCase equal)
{
    return equal(a.text, a.length, word, wordLength);
}

bool SpanStartsWith(TextSpan a, const char* word, size_t wordLength, EqualIgnoringCase equal)
{
    return a.length >= wordLength && equal(a.text, wordLength, word, wordLength);
}

enum class Option { None, Term, Unhide, Timeout, Show, ExitCode, Output };

Option RecogniseOption(TextSpan argument, EqualIgnoringCase equal)
{
    if (SpanEquals(argument, "TERM", 4, equal)) return Option::Term;
    if (SpanEquals(argument, "UNHIDE", 6, equal)) return Option::Unhide;
    if (SpanEquals(argument, "EXITCODE", 8, equal)) return Option::ExitCode;
    if (SpanStartsWith(argument, "TIMEOUT", 7, equal)) return Option::Timeout;
    if (SpanStartsWith(argument, "SHOW", 4, equal)) return Option::Show;
    if (SpanStartsWith(argument, "OUTPUT=", 7, equal)) return Option::Output;
    return Option::None;
}

}  // namespace

const char* FirstArgument(const char* line) { return SkipSeparators(line); }

const char* NextArgument(const char* p)
{
    for (;;) {
        if (!*p) return nullptr;
        if (IsSeparator(*p)) break;
        if (*p == '"') {
            const char* close = FindQuote(p + 1);
            if (!close) return nullptr;
            p = close + 1;
            break;
        }
        ++p;
    }
    return SkipSeparators(p);
}

TextSpan ArgumentText(const char* argument)
{
    if (*argument == '"') {
        const char* start = argument + 1;
        const char* close = FindQuote(start);
        return {start, close ? size_t(close - start) : TextLength(start)};
    }
    size_t n = 0;
    while (argument[n] && !IsSeparator(argument[n]) && argument[n] != '"') ++n;
    return {argument, n};
}

int32_t SplitArgument(const char* line, int32_t number, char* output, size_t capacity, bool* fit)
{
    if (capacity) output[0] = '\0';
    if (fit) *fit = true;
    if (number < 0) return 2;
    const char* argument = FirstArgument(line);
    for (int32_t i = 0; argument && i < number; ++i) argument = NextArgument(argument);
    if (!argument) return 2;
    TextSpan text = ArgumentText(argument);
    bool whole = TextCopyN(output, capacity, text.text, text.length);
    if (fit) *fit = whole;
    return text.length ? 1 : 2;
}

bool AsciiEqualIgnoringCase(const char* a, size_t aLength, const char* b, size_t bLength)
{
    if (aLength != bLength) return false;
    for (size_t i = 0; i < aLength; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = char(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = char(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

int32_t TimeoutOptionValue(TextSpan argument)
{
    if (argument.length < 9) return 0;
    size_t i = 8;
    while (i < argument.length && !(argument.text[i] >= '0' && argument.text[i] <= '9')) ++i;
    return TimeoutFromDigits(argument.text + i, argument.length - i);
}

int32_t ShowOptionValue(TextSpan argument)
{
    for (size_t i = 5; i < argument.length; ++i) {
        char c = argument.text[i];
        if (c == 't' || c == 'T') return 1;
        if (c >= '0' && c <= '9') return c - '0';
    }
    return 0;
}

ParseResult ParseCommandText(const char* line, TaskSettings& task, char (&parameters)[TextCapacity],
                             EqualIgnoringCase equal, LineOptions* options)
{
    FillBytes(parameters, sizeof parameters, 0);
    if (options) FillBytes(options, sizeof *options, 0);

    // Argument 1 is the program; it alone is never read as an option.
    const char* own = FirstArgument(line);
    const char* first = own ? NextArgument(own) : nullptr;
    if (!first) return ParseResult::NoCommand;
    TextSpan program = ArgumentText(first);
    if (program.length == 0) return ParseResult::NoCommand;
    bool programFit = TextCopyN(task.Program, sizeof task.Program, program.text, program.length) &&
                      TextFitsUnits(task.Program, TextUnitLimit);
    if (task.Program[0] == '?' || task.Program[1] == '?') return ParseResult::NoCommand;
    if (!programFit) return ParseResult::CommandTooLong;

    // One forward walk finds the list's end (an empty argument ends it) and where the
    // unbroken run of option words at its end begins.
    const char* runStart = nullptr;  // first argument of the trailing run of options
    const char* lastPlain = first;   // last argument that is no option (argument 1 counts as such for now)
    bool onlyProgram = true;
    for (const char* a = NextArgument(first); a; a = NextArgument(a)) {
        TextSpan text = ArgumentText(a);
        if (text.length == 0) break;
        onlyProgram = false;
        if (RecogniseOption(text, equal) == Option::None) {
            lastPlain = a;
            runStart = nullptr;
        } else if (!runStart) {
            runStart = a;
        }
    }
    if (onlyProgram) return ParseResult::Command;
    // Every argument after the program was an option: the program itself is examined too.
    if (lastPlain == first && runStart && RecogniseOption(program, equal) != Option::None) {
        runStart = first;
        lastPlain = nullptr;
    }

    // Read backwards, the option nearer to the start of the line is applied last and
    // wins: so going forwards, the first of each kind counts.
    bool seenTimeout = false, seenShow = false, seenOutput = false;
    for (const char* a = runStart; a; a = NextArgument(a)) {
        TextSpan text = ArgumentText(a);
        if (text.length == 0) break;
        switch (RecogniseOption(text, equal)) {
        case Option::Term: task.Term = 2; break;
        case Option::Unhide: task.Unhide = 2; break;
        case Option::ExitCode:
            if (options) options->ExitCode = true;
            break;
        case Option::Output:
            if (options && !seenOutput) {
                // A cut path would name another file: the step opens none and says why.
                options->OutputFileCut =
                    !TextCopyN(options->OutputFile, sizeof options->OutputFile, text.text + 7, text.length - 7) ||
                    !TextFitsUnits(options->OutputFile, TextUnitLimit);
            }
            seenOutput = true;
            break;
        case Option::Timeout:
            if (!seenTimeout) task.Timeout = TimeoutOptionValue(text);
            seenTimeout = true;
            break;
        case Option::Show:
            if (!seenShow) task.Show = ShowOptionValue(text);
            seenShow = true;
            break;
        case Option::None: break;
        }
    }

    // Join arguments 2 … lastPlain, one blank between them.
    if (!lastPlain || lastPlain == first) return ParseResult::Command;
    for (const char* a = NextArgument(first); a; a = NextArgument(a)) {
        TextSpan text = ArgumentText(a);
        if ((parameters[0] && !TextAppend(parameters, " ")) ||
            !TextAppendN(parameters, sizeof parameters, text.text, text.length)) {
            FillBytes(parameters, sizeof parameters, 0);
            return ParseResult::CommandTooLong;
        }
        if (a == lastPlain) break;
    }
    if (!TextFitsUnits(parameters, TextUnitLimit)) {
        FillBytes(parameters, sizeof parameters, 0);
        return ParseResult::CommandTooLong;
    }
    return ParseResult::Command;
}
