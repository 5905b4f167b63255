// The command line's own splitting rules and option words, free of any platform call.
//
// Blank, tab, line feed, carriage return and comma separate arguments; a double quote groups.
// There is no escape character. Argument 0 is the program's own token.
#pragma once

#include <cstddef>
#include <cstdint>

#include "settings/task_settings.h"

struct TextSpan {
    const char* text;
    size_t length;
};

// Where the argument after the one at `argument` starts, or nullptr when there is none.
// Both follow the skipping rule, under which a quoted part ends an argument.
const char* FirstArgument(const char* line);
const char* NextArgument(const char* argument);
// The text of the argument that starts at `argument`: without its enclosing quotes; an
// unclosed quote runs to the end of the line; a quote inside an unquoted argument ends it.
TextSpan ArgumentText(const char* argument);

// Argument `number` of line into output. 1 when the text is non-empty, 2 when it is empty
// or absent. *fit (when given) says whether the whole argument fit the output.
int32_t SplitArgument(const char* line, int32_t number, char* output, size_t capacity, bool* fit = nullptr);

// Compares two texts of given lengths ignoring letter case (the system's rules on Windows).
using EqualIgnoringCase = bool (*)(const char* a, size_t aLength, const char* b, size_t bLength);
bool AsciiEqualIgnoringCase(const char* a, size_t aLength, const char* b, size_t bLength);

enum class ParseResult : int32_t {
    NoCommand = 0,       // no argument, or a help request
    Command = 1,         // program, options and parameter text are set
    CommandTooLong = 2,  // the program or the joined parameters do not fit: nothing may run
};

// The options of the line that no task field holds.
struct LineOptions {
    bool ExitCode;                  // EXITCODE
    char OutputFile[TextCapacity];  // OUTPUT=path (UTF-8), the path as given; empty: none
    bool OutputFileCut;             // the path did not fit the field or TextUnitLimit units: OutputFile holds
                                    // it cut, for the trace, and names no file to open
};

// The line is UTF-8; the program and the joined parameters may each hold TextUnitLimit UTF-16
// units.
// Parses line (program's own token first) into the task's Program, Term, Unhide, Timeout
// and Show, and the joined parameter text into parameters (cleared first). Options are
// recognised only in the unbroken run of option words at the end of the line. *options (when
// given, cleared first) gets EXITCODE and OUTPUT= from that run; OUTPUT takes its "=", so a
// parameter such as "output.txt" stays one.
ParseResult ParseCommandText(const char* line, TaskSettings& task, char (&parameters)[TextCapacity],
                             EqualIgnoringCase equal, LineOptions* options = nullptr);

// TIMEOUT's number: from the 9th character, skip non-digits, convert the digit run (saturating
// as TimeoutFromDigits does).
int32_t TimeoutOptionValue(TextSpan argument);
// SHOW's value: from the 6th character, "t"/"T" gives 1, a digit its value, others are passed.
int32_t ShowOptionValue(TextSpan argument);
