#include "settings/macros_core.h"

#include "common/number.h"
#include "common/path.h"
#include "common/text.h"
#include "settings/task_settings.h"

const char* const MacroNames[MacroCount] = {
    "%YEAR%",        "%MONTH%",         "%DAY%",          "%DATE%",         "%HOUR%",
    "%MINUTE%",      "%MINUTEONES%",    "%MINUTETENS%",   "%SECOND%",       "%TIME%",
    "%WEEKDAY%",     "%GITBRANCHNAME%", "%PROCESSID%",    "%ERRORCODE%",    "%ERRORTEXT%",
    "%MYDOCUMENTS%", "%PROGRAMDIR%",    "%PROGRAMFILES%", "%PROGRAMNAME%",  "%SYSTEMDIR%",
    "%SYSTEMDRIVE%", "%TEMPDIR%",       "%USERNAME%",     "%COMPUTERNAME%", "%WINDIR%",
};

namespace {

const char NoExecutePath[] = "NoExecutePath";
const char ErrorOpenGitPath[] = "ErrorOpenGitPath";
const char ErrorGitHeadText[] = "ErrorGitHeadText";

// A value that does not fit is left empty rather than cut: a cut folder names another folder.
void SetValue(MacroValues& values, MacroId id, const char* text)
{
    if (!text || !TextCopy(values.Text[id], text)) values.Text[id][0] = '\0';
}

void SetFolderValue(MacroValues& values, MacroId id, const char* text)
{
    SetValue(values, id, text);
    RemoveTrailingBackslash(values.Text[id]);
}

bool Contains(const char* text, const char* name)
{
    size_t length = TextLength(text);
    size_t nameLength = TextLength(name);
    for (size_t at = 0; at + nameLength <= length; ++at) {
        size_t i = 0;
        while (i < nameLength && text[at + i] == name[i]) ++i;
        if (i == nameLength) return true;
    }
    return false;
}

// The HEAD path of a directory text: a working directory is a folder even without its closing
// backslash; a program's folder is everything up to its last backslash. A bare program name
// has the empty folder, so its HEAD is looked up in the current directory, where a program
// started without a working directory runs. False when the path would not fit or holds more
// than PathUnitLimit UTF-16 units: a HEAD path is never cut.
bool GitHeadPathOf(const char* directory, bool isWorkingDir, char (&path)[PathCapacity])
{
    if (isWorkingDir) {
        if (!TextCopy(path, directory)) return false;
        if (!TextEndsWith(path, '\\') && !TextAppend(path, "\\")) return false;
    } else if (!FolderOfPath(directory, path)) {
        return false;
    }
    // The system's short path limit, counted as it counts: in UTF-16 units.
    return TextAppend(path, ".git\\HEAD") && TextFitsUnits(path, PathUnitLimit);
}

void GitBranch(TaskId task, const ExpansionContext& context, char (&branch)[TextCapacity])
{
    const TaskSettings* settings = context.Tasks ? &context.Tasks->Of(task) : nullptr;
    char directory[TextCapacity];
    bool fit = ExpandMacroText(settings ? settings->WorkingDir : "", directory, TaskId::None, context);
    bool isWorkingDir = true;
    if (fit && !directory[0]) {
        fit = ExpandMacroText(settings ? settings->Program : "", directory, TaskId::None, context);
        isWorkingDir = false;
    }
    if (fit && !directory[0]) {
        (void)TextCopy(branch, NoExecutePath);
        return;
    }
    char path[PathCapacity];
    char head[GitHeadReadLimit + 1];
    size_t count = 0;
    if (!fit || !GitHeadPathOf(directory, isWorkingDir, path) ||
        !context.ReadFileStart(path, head, GitHeadReadLimit, count) || count > GitHeadReadLimit) {
        (void)TextCopy(branch, ErrorOpenGitPath);
        return;
    }
    head[count] = '\0';
    GitBranchFromHead(head, branch);
}

}  // namespace

void RemoveTrailingBackslash(char* text)
{
    size_t length = TextLength(text);
    if (length && text[length - 1] == '\\') text[length - 1] = '\0';
}

void FormatMacroValues(const ClockReading& clock, const SystemTexts& system, MacroValues& values)
{
    FillBytes(&values, sizeof values, 0);

    char year[DecimalCapacity];
    FormatUnsignedDecimal(clock.Year, year);
    char month[3], day[3], hour[3], minute[3], second[3];
    FormatTwoDigits(clock.Month, month);
    FormatTwoDigits(clock.Day, day);
    FormatTwoDigits(clock.Hour, hour);
    FormatTwoDigits(clock.Minute, minute);
    FormatTwoDigits(clock.Second, second);
    char weekday[DecimalCapacity];
    FormatUnsignedDecimal(uint32_t(clock.DayOfWeek) + 1, weekday);

    SetValue(values, MacroYear, year);
    SetValue(values, MacroMonth, month);
    SetValue(values, MacroDay, day);
    SetValue(values, MacroHour, hour);
    SetValue(values, MacroMinute, minute);
    SetValue(values, MacroSecond, second);
    SetValue(values, MacroWeekday, weekday);
    // Date and time from the same reading, so they agree with their pieces.
    (void)(TextCopy(values.Text[MacroDate], year) && TextAppend(values.Text[MacroDate], month) &&
           TextAppend(values.Text[MacroDate], day));
    (void)(TextCopy(values.Text[MacroTime], hour) && TextAppend(values.Text[MacroTime], minute) &&
           TextAppend(values.Text[MacroTime], second));
    values.Text[MacroMinuteTens][0] = minute[0];
    values.Text[MacroMinuteOnes][0] = minute[1];

    SetValue(values, MacroMyDocuments, system.MyDocuments);
    if (!system.OwnPath || !FolderOfPath(system.OwnPath, values.Text[MacroProgramDir]))
        values.Text[MacroProgramDir][0] = '\0';
    RemoveTrailingBackslash(values.Text[MacroProgramDir]);
    SetFolderValue(values, MacroProgramFiles, system.ProgramFiles);
    SetValue(values, MacroProgramName, system.OwnName);
    SetFolderValue(values, MacroSystemDir, system.SystemDir);
    // The drive keeps its backslash: "C:\".
    if (system.SystemDir) (void)TextCopyN(values.Text[MacroSystemDrive], PathCapacity, system.SystemDir, 3);
    SetFolderValue(values, MacroTempDir, system.TempDir);
    SetValue(values, MacroUserName, system.UserName);
    SetValue(values, MacroComputerName, system.ComputerName);
    SetFolderValue(values, MacroWinDir, system.WindowsDir);
}

bool ReplaceAll(char* text, size_t capacity, const char* name, const char* value)
{
    size_t nameLength = TextLength(name);
    size_t valueLength = TextLength(value);
    size_t length = TextLengthWithin(text, capacity);
    if (length == capacity) return false;  // no terminator: not a text
    if (nameLength == 0) return true;
    size_t at = 0;
    while (at + nameLength <= length) {
        size_t i = 0;
        while (i < nameLength && text[at + i] == name[i]) ++i;
        if (i < nameLength) {
            ++at;
            continue;
        }
        size_t newLength = length - nameLength + valueLength;
        if (newLength >= capacity) return false;
        CopyBytes(text + at + nameLength, text + at + valueLength, length - at - nameLength + 1);
        CopyBytes(value, text + at, valueLength);
        length = newLength;
        // On after the value: a value holding the name must not be replaced again (no end).
        at += valueLength;
    }
    return true;
}

namespace {

// Stands for the branch while the other macros are expanded: a control character, which no
// branch placed for the command interpreter may hold.
constexpr char BranchMark[] = "\x01";

bool MarkUnsafe(const ExpansionContext& context)
{
    if (context.Unsafe) *context.Unsafe = true;
    return false;
}

// Each mark replaced by the branch as the reader is to get it, judged on the text before it.
bool PlaceBranch(char (&work)[TextCapacity], const char* branch, const ExpansionContext& context)
{
    char placed[TextCapacity];
    char value[TextCapacity];
    size_t length = 0;
    placed[0] = '\0';
    for (const char* c = work; *c; ++c) {
        if (*c != BranchMark[0]) {
            if (length + 1 >= sizeof placed) return false;
            placed[length++] = *c;
            placed[length] = '\0';
            continue;
        }
        Placing placing = PlaceOutsideValue(context.Reader, placed, branch, value, sizeof value);
        if (placing == Placing::Unsafe) return MarkUnsafe(context);
        if (placing == Placing::TooLong || !TextAppend(placed, value)) return false;
        length = TextLength(placed);
    }
    return TextCopy(work, placed);
}

}  // namespace

void GitBranchFromHead(const char* head, char (&branch)[TextCapacity])
{
    size_t length = TextLength(head);
    if (length && (head[length - 1] == '\n' || head[length - 1] == '\r')) --length;
    // Down to the second character: a "/" in front has nothing before it to be a ref path.
    for (size_t at = length; at-- > 1;) {
        if (head[at] == '/') {
            (void)TextCopyN(branch, TextCapacity, head + at + 1, length - at - 1);
            return;
        }
    }
    (void)TextCopy(branch, ErrorGitHeadText);
}

bool ExpandMacroText(const char* source, char (&output)[TextCapacity], TaskId task, const ExpansionContext& context)
{
    char work[TextCapacity];
    bool fit = TextCopy(work, source);
    const MacroValues& values = *context.Values;

    for (int32_t id = MacroYear; fit && id <= MacroWeekday; ++id)
        fit = ReplaceAll(work, MacroNames[id], values.Text[id]);

    // The branch is read only when asked for: the HEAD file is read afresh at each expansion.
    // For the command interpreter it stands as a mark until the text around it is final.
    char branch[TextCapacity] = {};
    bool placeBranch = false;
    if (fit && task != TaskId::None && Contains(work, MacroNames[MacroGitBranchName])) {
        GitBranch(task, context, branch);
        placeBranch = context.Reader != LineReader::Program;
        if (placeBranch && Contains(work, BranchMark)) fit = MarkUnsafe(context);
        if (fit) fit = ReplaceAll(work, MacroNames[MacroGitBranchName], placeBranch ? BranchMark : branch);
    }

    if (fit) fit = ReplaceAll(work, MacroNames[MacroProcessId], context.ProcessId ? context.ProcessId : "");
    char code[DecimalCapacity];
    FormatSignedDecimal(context.ErrorCode, code);
    if (fit) fit = ReplaceAll(work, MacroNames[MacroErrorCode], code);
    if (fit && Contains(work, MacroNames[MacroErrorText])) {
        char text[PathCapacity];
        // Without a text for the code the name stays, so a reader sees what was asked for.
        if (context.ErrorText && context.ErrorText(context.ErrorCode, text) && text[0])
            fit = ReplaceAll(work, MacroNames[MacroErrorText], text);
    }

    for (int32_t id = MacroMyDocuments; fit && id <= MacroWinDir; ++id)
        fit = ReplaceAll(work, MacroNames[id], values.Text[id]);

    if (fit && placeBranch) fit = PlaceBranch(work, branch, context);

    // Past the limit the text is shown cut, its cut marked, and never used.
    if (fit) fit = MarkTextCutToUnits(work, TextUnitLimit);
    (void)TextCopy(output, work);
    return fit;
}
