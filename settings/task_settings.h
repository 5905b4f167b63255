// The settings of one task. Two records live for the whole process: the previous task
// (section PREVIOUS, run first) and the main task (section OPTIONS). Fields bear their
// INI keys' names; flags count as set when not 0 unless a reader compares with exactly 1.
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

// Task selectors, as the macro expansion and the task sequence pass them.
enum : int32_t { TaskPrevious = 0, TaskMain = 1 };

extern TaskSettings PreviousTask;  // section PREVIOUS
extern TaskSettings MainTask;      // section OPTIONS

// The record a selector names: 0 the previous task, anything else the main task.
inline TaskSettings& TaskOf(int32_t selector) { return selector == TaskPrevious ? PreviousTask : MainTask; }
