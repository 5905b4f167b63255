// The settings window's binding of the two task records to its controls: which control shows
// which key comes from the layout's one table (ControlOfKey).
#pragma once

#include <windows.h>

#include <cstdint>

#include "settings/task_settings.h"

// Puts every record value into its control: texts as they are, numbers unsigned, flags as
// check boxes checked when set (not 0).
void ShowRecords(HWND dialog, const TaskRecords& tasks);

// Takes what the controls show into tasks, for a save. A control left as its value was shown
// keeps the record's value, so a flag stored as 5 or a number stored as -3 goes back as read,
// and a text loaded cut stays marked (the file keeps its own); an edited text clears its mark;
// a changed check box gives 1 or 0, a changed number what the file would read from its text.
// Returns 0, or, with tasks untouched, the first control whose text cannot be stored as typed
// (longer than its field, or too long to wrap in one more pair of quotes).
int32_t TakeControls(HWND dialog, TaskRecords& tasks);
