// The settings of one task: the previous task (section PREVIOUS, run first) and the main task
// (section OPTIONS). Fields bear their INI keys' names and keep the integers the file stored;
// FlagSet and FlagIsOne are the two ways a flag is read.
#pragma once

#include <cstdint>

#include "common/buffers.h"

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

// A flag counts as set when not 0: the steps, the overwrite and the settings window's boxes.
constexpr bool FlagSet(int32_t stored) { return stored != 0; }
// The prompt's opening row and the subfolder walk compare with exactly 1 (Show=TRUE is stored
// as 5).
constexpr bool FlagIsOne(int32_t stored) { return stored == 1; }

// Which task a text belongs to: the macro expansion and the task sequence pass it. TaskId::None
// names no task (an expansion then leaves %GITBRANCHNAME% in place); any value other than
// TaskId::None and TaskId::Previous counts as the main task.
enum class TaskId : int32_t { None = -1, Previous = 0, Main = 1 };

// The two tasks of the settings file as one run or one settings window holds them.
struct TaskRecords {
    TaskSettings Previous;  // section PREVIOUS
    TaskSettings Main;      // section OPTIONS
    // Per task (0 PREVIOUS, 1 OPTIONS): one bit (1 << key index in SettingsKeys) for each text
    // key whose value in the file was longer than its 4095-character field. The record holds
    // the cut text so the settings window can show it; no step may act on it.
    uint32_t CutTextKeys[2];

    TaskSettings& Of(TaskId task) { return task == TaskId::Previous ? Previous : Main; }
    const TaskSettings& Of(TaskId task) const { return task == TaskId::Previous ? Previous : Main; }
    uint32_t& CutKeysOf(TaskId task) { return CutTextKeys[task == TaskId::Previous ? 0 : 1]; }
    uint32_t CutKeysOf(TaskId task) const { return CutTextKeys[task == TaskId::Previous ? 0 : 1]; }
};
