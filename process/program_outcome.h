// How a program step ended, as the run's record tells it. Free of any platform call.
#pragma once

#include <cstdint>

#include "common/buffers.h"

enum class ProgramEnd : int32_t {
    Nothing,         // no program text, or Unhide with no instance running
    NotFound,        // the search failed (Error: its code)
    NotStarted,      // found, but the system refused to start it (Error: its code)
    TooLong,         // the command line would not fit: nothing was started
    UnsafeText,      // the branch would have reached the command interpreter as more than text
    FolderOpened,    // a folder opened in a shell window
    InstancesEnded,  // Term: Count instances ended
    InstanceShown,   // Unhide or Show: a running instance (ProcessId) was shown
    Exited,          // the program ended within the wait, with ExitCode
    EndedAtTimeout,  // still running at the time-out: ended
    StillRunning,    // still running when the step returned
};

// What became of the output file asked for (OUTPUT=, [RUN] OutputFile) of a started program.
enum class OutputKept : int32_t {
    NotAsked,
    Kept,        // both streams appended to OutputFile
    NotKept,     // the file could not be opened (OutputError: the system's error)
    NoDiskFile,  // it names a device or a pipe, not a file on a disk
    Shown,       // the program was started shown: its output stays in its own console window
};

// An instance TERM could not open or end: its process id and the system's error.
struct PassedOverInstance {
    uint32_t ProcessId;
    uint32_t Error;
};
// The passed-over instances a step keeps for its record; the rest are counted only.
constexpr uint32_t PassedOverKept = 8;

struct ProgramOutcome {
    ProgramEnd End;
    uint32_t ProcessId;
    uint32_t ExitCode;
    uint32_t Error;
    uint32_t Count;
    uint32_t PassedOverCount;  // TERM: instances that could not be opened or ended
    PassedOverInstance PassedOver[PassedOverKept];
    bool BoxClosedByItself;          // the step's error box was left unanswered and closed at its time-out
    char CommandLine[TextCapacity];  // the line started, or the program text when none was formed
    OutputKept Output;
    uint32_t OutputError;           // OutputKept::NotKept: why
    char OutputFile[TextCapacity];  // the output file as asked for, when it was
};
