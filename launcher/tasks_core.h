// The wording of the task sequence's prompts, free of any platform call.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/buffers.h"
#include "process/program_core.h"
#include "settings/task_settings.h"

// The program step's choices, as the task's decisions give them.
LaunchChoice LaunchChoiceOf(const TaskDecisions& decided);

// The prompt texts. Each says whether it fit; a text that did not fit ends in "..." so the
// cut shows (the step itself always uses the full texts).
bool CopyPromptText(const char* source, const char* target, char (&text)[TextCapacity]);
// program, parameters and workingDir are the expanded texts; the opening row says what the
// program step will do, and the parts given before expansion appear.
bool ExecutePromptText(const TaskDecisions& decided, const char* program, const char* parameters,
                       const char* workingDir, char (&text)[TextCapacity]);
// The caption, with " [TIMEOUT=n]" (the number as stored) when the step may start the program
// and Timeout is not 0.
bool ExecutePromptCaption(const TaskDecisions& decided, const char* caption, char (&text)[PathCapacity]);

// The program step's refusal when an expanded field does not fit; the program text follows.
extern const char ExpandedTooLongText[];
// The refusal when the branch cannot reach the command interpreter as text; the program follows.
extern const char UnsafeBranchText[];
