#include "process/program_core.h"

#include "common/buffers.h"
#include "common/command_text.h"
#include "common/number.h"
#include "common/path.h"
#include "common/text.h"

namespace {

// The creation flags by their system names (winbase.h values).
constexpr uint32_t CreateNewConsole = 0x00000010;
constexpr uint32_t NormalPriorityClass = 0x00000020;
constexpr uint32_t CreateSeparateWowVdm = 0x00000800;
constexpr uint32_t CreateDefaultErrorMode = 0x04000000;

}  // namespace

const char ExecuteErrorCaption[] = "Error when executing";

LaunchAction ChooseLaunchAction(bool term, bool unhide, bool show)
{
    if (unhide || show) return LaunchAction::ShowInstance;
    return term ? LaunchAction::TerminateInstances : LaunchAction::Execute;
}

uint32_t StartWaitBudget(uint32_t milliseconds) { return TimeoutWaits(milliseconds) ? milliseconds : IdleWaitLimit; }

uint32_t WaitLeft(uint32_t budget, uint32_t elapsed) { return elapsed >= budget ? 0 : budget - elapsed; }

ProgramKind KindOfExeType(uint32_t exeType)
{
    if (exeType == 0) return ProgramKind::None;
    return (exeType >> 16) ? ProgramKind::Windows : ProgramKind::Console;
}

StartRecipe RecipeForExeType(uint32_t exeType)
{
    uint32_t signature = exeType & 0xFFFF;
    if (exeType == 0) return {CreateDefaultErrorMode, true, true};
    if (signature == SignatureNE)
        return {CreateDefaultErrorMode | CreateSeparateWowVdm | NormalPriorityClass, false, false};
    if (signature == SignatureMZ)
        return {CreateDefaultErrorMode | CreateSeparateWowVdm | NormalPriorityClass | CreateNewConsole, true, true};
    if (signature == SignaturePE && (exeType >> 16) == 0)
        return {CreateDefaultErrorMode | NormalPriorityClass | CreateNewConsole, true, true};
    return {CreateDefaultErrorMode | NormalPriorityClass, true, false};
}

bool WorkingDirectoryFor(const char* modulePath, const char* workingDir, char* output, size_t capacity)
{
    if (workingDir && workingDir[0]) return TextCopy(output, capacity, workingDir);
    size_t nameOffset = FileNameOffset(modulePath);
    return TextCopyN(output, capacity, modulePath, nameOffset ? nameOffset - 1 : 0);
}

bool JoinCommandLine(const char* modulePath, const char* parameters, char* output, size_t capacity)
{
    // A batch file's path is always quoted: the command interpreter acts on more than blanks.
    bool quote = LineReaderOf(modulePath) == LineReader::BatchFile;
    for (const char* c = modulePath; *c; ++c)
        if (*c == ' ' || *c == '\t') quote = true;
    bool fit = TextCopy(output, capacity, quote ? "\"" : "");
    fit = fit && TextAppend(output, capacity, modulePath);
    fit = fit && TextAppend(output, capacity, quote ? "\"" : "");
    if (parameters && parameters[0]) {
        fit = fit && TextAppend(output, capacity, " ");
        fit = fit && TextAppend(output, capacity, parameters);
    }
    fit = fit && TextFitsUnits(output, TextUnitLimit);
    if (!fit && capacity) output[0] = '\0';  // never leave a cut line where a caller might use it
    return fit;
}

void FormatExecuteError(const char* systemText, uint32_t errorCode, const char* program, char* output, size_t capacity)
{
    char code[DecimalCapacity];
    FormatUnsignedDecimal(errorCode, code);
    bool system = systemText && systemText[0];
    (void)TextJoin(output, capacity, {system ? systemText : "Error ", system ? nullptr : code, "\n", program});
}

void FormatCommandTooLong(const char* program, char* output, size_t capacity)
{
    (void)TextJoin(output, capacity,
                   {"The command line is too long: the program's path and its parameters exceed 4095 characters.\n"
                    "Nothing was started.\n",
                    program});
}

bool WindowQualifies(uint32_t mainThread, uint32_t windowThread, bool hasOwner, bool hasParent, bool hasTitle)
{
    if (mainThread) return windowThread == mainThread;
    return !hasOwner && !hasParent && hasTitle;
}
