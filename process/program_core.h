// The program step's decisions, free of any platform call: what a call does, how long it
// waits, how a program of each executable type is started, its command line and directory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/timeout.h"

// The caption of every box that reports a program step that could not run.
extern const char ExecuteErrorCaption[];

// Executable signatures as the shell's SHGFI_EXETYPE gives them in its low word: the two bytes
// of the file read as a little-endian word.
constexpr uint32_t SignatureMZ = 'M' | 'Z' << 8;
constexpr uint32_t SignatureNE = 'N' | 'E' << 8;
constexpr uint32_t SignaturePE = 'P' | 'E' << 8;

// Where a hidden program's standard output and error go: one file, appended to.
struct OutputRequest {
    const char* Path = nullptr;  // UTF-8, macros expanded; null or empty: not asked for
    uint32_t Refused = 0;        // not 0: the path could not be formed (Path: its text as given), the system's
                                 // error that tells why; the program starts with its output not kept
};

// What the program step is asked to do, each choice already read by its rule (a task's flags
// count as set when not 0).
struct LaunchChoice {
    bool Term;                  // alone: end every running instance and start nothing
    bool Unhide;                // show a running instance
    bool Show;                  // show a running instance, else start the program shown
    StoredTimeout Timeout;      // seconds as stored: 0 and 0xFFFFFFFF (-1) mean no wait
    uint32_t BoxSeconds = 0;    // an error box nobody answers closes after this long; 0: it waits
    bool WaitForEnd = false;    // with no wait set: wait for the started program's end, however long
    OutputRequest Output = {};  // OUTPUT= or [RUN] OutputFile
};

enum class Visibility { Hidden, Shown };

// What LaunchProgram does with its Term, Unhide and Show choices.
enum class LaunchAction {
    TerminateInstances,  // Term alone: end every running instance, start nothing
    ShowInstance,        // Unhide or Show: show a running instance (Show alone also starts one)
    Execute,             // start the program
};
LaunchAction ChooseLaunchAction(bool term, bool unhide, bool show);

// The terminate loop's bound: one instance per call, never more calls than this.
constexpr int32_t TerminateCallLimit = 1000;

// With no time-out, how long a hidden start may wait for the program to become idle and have
// its window hidden before it returns and leaves the program running. Programs are normally
// idle within a second or two even on a cold start; a never-idle one (a windowless worker, a
// program hung before its message loop) must not hold a task sequence for ever.
constexpr uint32_t IdleWaitLimit = 10000;
// The time a hidden start may spend on the idle wait and the hiding: the time-out itself,
// which they count against, or IdleWaitLimit when there is none.
uint32_t StartWaitBudget(uint32_t milliseconds);
// What is left of a budget once elapsed milliseconds are spent (0 when all are).
uint32_t WaitLeft(uint32_t budget, uint32_t elapsed);

// The kind of program an SHGFI_EXETYPE result names (low word signature, high word the
// Windows version it expects, 0 for console and MS-DOS programs).
enum class ProgramKind { None, Windows, Console };
ProgramKind KindOfExeType(uint32_t exeType);

// How a program of a given executable type is started.
struct StartRecipe {
    uint32_t creationFlags;
    bool passModuleName;  // else the command line alone names the program
    bool passTitle;       // the program text becomes the new console's title
};
StartRecipe RecipeForExeType(uint32_t exeType);

// The started program's working directory: workingDir when given and non-empty, else the
// found path's folder without its trailing backslash ("C:" for a program in a root folder).
// False when it does not fit.
[[nodiscard]] bool WorkingDirectoryFor(const char* modulePath, const char* workingDir, char* output, size_t capacity);

// The found path, then one blank and the parameters when there are any. A path holding a
// blank or tab, or naming a batch file, is quoted, so it is read as one argument.
// False when the whole line does not fit capacity or holds more than TextUnitLimit UTF-16
// units: such a line must never be started.
[[nodiscard]] bool JoinCommandLine(const char* modulePath, const char* parameters, char* output, size_t capacity);

// The "Error when executing" text: the system's text, a line feed, the program text. When
// the system had no text, "Error <code>" stands in for it. A text too long for the box is
// cut visibly ("..." at its end).
void FormatExecuteError(const char* systemText, uint32_t errorCode, const char* program, char* output, size_t capacity);
// The box text for a found path and parameters that do not fit one command line.
void FormatCommandTooLong(const char* program, char* output, size_t capacity);

// Whether a top-level window of the instance's process is the one to hide or show.
// mainThread is the process's oldest thread (0 when unknown); without it, only an unowned,
// parentless window with a title qualifies.
bool WindowQualifies(uint32_t mainThread, uint32_t windowThread, bool hasOwner, bool hasParent, bool hasTitle);
