// Macro expansion without platform calls: the names and their order, the values formed from a
// clock reading and the system's texts, the replacement, and the git branch from a HEAD text.
// The clock, the system texts, the HEAD file and the error text are handed in, so every rule
// is tested natively.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/buffers.h"
#include "common/command_text.h"
#include "settings/task_settings.h"

// In expansion order: a value holding a later name is expanded again, one holding an earlier
// name is not.
enum MacroId : int32_t {
    MacroYear,
    MacroMonth,
    MacroDay,
    MacroDate,
    MacroHour,
    MacroMinute,
    MacroMinuteOnes,
    MacroMinuteTens,
    MacroSecond,
    MacroTime,
    MacroWeekday,
    MacroGitBranchName,
    MacroProcessId,
    MacroErrorCode,
    MacroErrorText,
    MacroMyDocuments,
    MacroProgramDir,
    MacroProgramFiles,
    MacroProgramName,
    MacroSystemDir,
    MacroSystemDrive,
    MacroTempDir,
    MacroUserName,
    MacroComputerName,
    MacroWinDir,
    MacroCount
};

extern const char* const MacroNames[MacroCount];

// The local clock's fields as the system gives them (DayOfWeek 0 is Sunday).
struct ClockReading {
    uint16_t Year, Month, DayOfWeek, Day, Hour, Minute, Second;
};

// The system's answers, each as given (nullptr or empty when the query failed).
struct SystemTexts {
    const char* MyDocuments;
    const char* OwnPath;
    const char* ProgramFiles;
    const char* OwnName;
    const char* SystemDir;
    const char* TempDir;
    const char* UserName;
    const char* ComputerName;
    const char* WindowsDir;
};

// The values fixed once per run; the slots of the values formed at each expansion
// (%GITBRANCHNAME%, %PROCESSID%, %ERRORCODE%, %ERRORTEXT%) stay empty.
struct MacroValues {
    char Text[MacroCount][PathCapacity];
};

void FormatMacroValues(const ClockReading& clock, const SystemTexts& system, MacroValues& values);

// Removes one trailing backslash, if there is one.
void RemoveTrailingBackslash(char* text);

// Replaces every occurrence of name in text (capacity bytes) by value, searching on after
// each inserted value, so a value holding name itself is not expanded again. False when the
// result would not fit: the text then holds the replacements made so far and must not be used.
[[nodiscard]] bool ReplaceAll(char* text, size_t capacity, const char* name, const char* value);
template <size_t N> [[nodiscard]] bool ReplaceAll(char (&text)[N], const char* name, const char* value)
{
    return ReplaceAll(text, N, name, value);
}

// At most this many bytes of a HEAD file are read.
constexpr size_t GitHeadReadLimit = 4096;

// The branch from the text of a HEAD file: one closing line feed or carriage return removed,
// then everything after the last "/" that is not the first character; "ErrorGitHeadText"
// when there is none. The text ends at its first NUL byte and holds at most GitHeadReadLimit
// characters.
void GitBranchFromHead(const char* head, char (&branch)[TextCapacity]);

// What an expansion reads besides the fixed values.
struct ExpansionContext {
    const MacroValues* Values;
    const char* ProcessId;  // nullptr reads as empty
    int32_t ErrorCode;
    // The system's text for an error code; false when there is none.
    bool (*ErrorText)(int32_t code, char (&text)[PathCapacity]);
    // Reads at most capacity bytes of the file at path into bytes; false when the file cannot
    // be opened or read.
    bool (*ReadFileStart)(const char* path, char* bytes, size_t capacity, size_t& count);
    // The two tasks whose WorkingDir and Program give %GITBRANCHNAME%; null reads as two empty
    // tasks.
    const TaskRecords* Tasks;
    // Who reads the expanded text: for the command interpreter, the branch (text from outside
    // the settings file) is placed as text (PlaceOutsideValue) once every other macro is
    // expanded. Program: as it reads.
    LineReader Reader;
    // Set when the branch could not be placed as text; the expansion then fails. May be null.
    bool* Unsafe;
};

// Expands every macro of source into output. task: whose texts give %GITBRANCHNAME%; TaskId::None
// leaves it in place. False when the text or one of the values did not fit, or the expanded
// text holds more than TextUnitLimit UTF-16 units: output then holds the text expanded as far
// as it fit (past the limit: cut there, ending in "..."), for display only.
[[nodiscard]] bool ExpandMacroText(const char* source, char (&output)[TextCapacity], TaskId task,
                                   const ExpansionContext& context);
