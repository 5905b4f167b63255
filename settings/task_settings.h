// The settings of one task: the previous task (section PREVIOUS, run first) and the main task
// (section OPTIONS). Fields bear their INI keys' names and keep the integers the file stored;
// what they mean is decided once, in TaskDecisions.
#pragma once

#include <cstdint>

#include "common/buffers.h"
#include "common/timeout.h"

struct TaskSettings {
    char CopySource[TextCapacity];
    int32_t CopySubFolders;
    char CopyTarget[TextCapacity];
    int32_t CopyOverwrite;
    char Program[TextCapacity];
    char Parameters[TextCapacity];
    char WorkingDir[TextCapacity];
    int32_t Unhide;
    int32_t Show;
    int32_t AskExecute;
    int32_t Term;
    int32_t CopyAfterExecute;
    int32_t AskCopy;
    int32_t Timeout;
    int32_t CopyBeforeExecute;
    int32_t AskCopyBefore;
    int32_t CopyModifiedFiles;
    int32_t CopyModifiedFilesHour;
    int32_t CopyModifiedFilesMinute;
};

// How a stored flag reads: set when not 0, except CopySubFolders, which walks subfolders only
// at exactly 1 (so a value of 2 in an old file never starts a deep walk it did not ask for).
enum class FlagReading { NonZero, ExactlyOne };
constexpr FlagReading SubfoldersReading = FlagReading::ExactlyOne;
constexpr bool FlagOn(int32_t stored, FlagReading reading = FlagReading::NonZero)
{
    return reading == FlagReading::ExactlyOne ? stored == 1 : stored != 0;
}

// What a task's stored values mean, decided once: the steps, their prompts and the settings
// window read this, never the integers, so a prompt always says what its step will do.
struct TaskDecisions {
    bool CopyBefore;  // a source given and CopyBeforeExecute set
    bool AskCopyBefore;
    bool RunProgram;  // a program given
    bool AskExecute;
    bool ParametersGiven;  // before expansion: the prompt shows the parts given
    bool WorkingDirGiven;
    bool CopyAfter;  // a source given and CopyAfterExecute set
    bool AskCopy;
    bool Subfolders;
    bool Overwrite;
    bool SkipGitFolders;  // the unexpanded source or target names %GITBRANCHNAME% (exact case)
    // The modified-files window: 0 when the filter is off, else hours * 60 + minutes (both read
    // as unsigned), saturated at 0xFFFFFFFF rather than wrapped.
    uint32_t CutOffMinutes;
    // The program step: Unhide or Show shows a running instance (Show alone also starts one
    // shown); Term alone ends every running instance; else the program starts hidden.
    bool Term;
    bool Unhide;
    bool Show;
    StoredTimeout Timeout;
};
TaskDecisions DecideTask(const TaskSettings& task);

// Which task a text belongs to: the macro expansion and the task sequence pass it. TaskId::None
// names no task (an expansion then leaves %GITBRANCHNAME% in place); any value other than
// TaskId::None and TaskId::Previous counts as the main task.
enum class TaskId : int32_t { None = -1, Previous = 0, Main = 1 };

// Timeout, CopyModifiedFilesHour and CopyModifiedFilesMinute.
constexpr int32_t NumberKeysPerTask = 3;

// The two tasks of the settings file as one run or one settings window holds them.
struct TaskRecords {
    TaskSettings Previous;  // section PREVIOUS
    TaskSettings Main;      // section OPTIONS
    // Per task (0 PREVIOUS, 1 OPTIONS): one bit (1 << key index in SettingsKeys) for each text
    // key whose value in the file was longer than its 4095-character field. The record holds
    // the cut text so the settings window can show it; no step may act on it.
    uint32_t CutTextKeys[2];
    // Per task, the same bits for each number key the settings window's user changed: saved as
    // typed (an emptied field as an empty value), the text in TypedNumbers by the key's place
    // among the number keys (NumberKeyPlace).
    uint32_t TypedNumberKeys[2];
    char TypedNumbers[2][NumberKeysPerTask][PathCapacity];

    TaskSettings& Of(TaskId task) { return task == TaskId::Previous ? Previous : Main; }
    const TaskSettings& Of(TaskId task) const { return task == TaskId::Previous ? Previous : Main; }
    uint32_t& CutKeysOf(TaskId task) { return CutTextKeys[task == TaskId::Previous ? 0 : 1]; }
    uint32_t CutKeysOf(TaskId task) const { return CutTextKeys[task == TaskId::Previous ? 0 : 1]; }
    uint32_t& TypedKeysOf(TaskId task) { return TypedNumberKeys[task == TaskId::Previous ? 0 : 1]; }
    uint32_t TypedKeysOf(TaskId task) const { return TypedNumberKeys[task == TaskId::Previous ? 0 : 1]; }
};
