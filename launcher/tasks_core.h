// The wording of the task sequence's prompts, free of any platform call.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/buffers.h"
#include "process/program_core.h"
#include "settings/task_settings.h"

// The program step's choices read from the task: each flag set when not 0.
LaunchChoice LaunchChoiceOf(const TaskSettings& task);

// The modified-files window handed to the copy: 0 when the filter is off, else hours * 60 +
// minutes (both read as unsigned), saturated at 0xFFFFFFFF rather than wrapped.
uint32_t CutOffMinutes(const TaskSettings& task);

// 1 when the unexpanded copy source or target names %GITBRANCHNAME% (exact case), else 0.
int32_t NamesGitBranch(const TaskSettings& task);

// The prompt texts. Each says whether it fit; a text that did not fit ends in "..." so the
// cut shows (the step itself always uses the full texts).
bool CopyPromptText(const char* source, const char* target, char (&text)[TextCapacity]);
// program, parameters and workingDir are the expanded texts; the task's own fields decide
// the opening row and which parts appear.
bool ExecutePromptText(const TaskSettings& task, const char* program, const char* parameters, const char* workingDir,
                       char (&text)[TextCapacity]);
// The caption, with " [TIMEOUT=n]" when the opening row takes it and Timeout is not 0.
bool ExecutePromptCaption(const TaskSettings& task, const char* caption, char (&text)[PathCapacity]);

// The program step's refusal when an expanded field does not fit; the program text follows.
extern const char ExpandedTooLongText[];
// The refusal when the branch cannot reach the command interpreter as text; the program follows.
extern const char UnsafeBranchText[];
