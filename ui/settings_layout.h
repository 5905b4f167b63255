// The settings window as data: its template (header and 83 controls), the control ids its
// procedure works with, the spin ranges, the tooltips and the fields that carry the macro menu.
// Free of any platform call.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "settings/settings_file_core.h"
#include "ui/dialog_template.h"

// Ids of the previous-task group; the main-task group's are GroupOffset higher.
enum : uint16_t {
    IdPreviousGroup = 1,
    IdCopySource = 3,
    IdSourceBrowse = 4,
    IdCopySubFolders = 5,
    IdCopyTarget = 7,
    IdTargetBrowse = 8,
    IdCopyOverwrite = 9,
    IdProgram = 11,
    IdProgramBrowse = 12,
    IdParameters = 14,
    IdParametersBrowse = 15,
    IdWorkingDir = 17,
    IdWorkingDirBrowse = 18,
    IdUnhide = 20,
    IdShow = 21,
    IdCopyBeforeExecute = 22,
    IdAskCopyBefore = 23,
    IdTerm = 24,
    IdAskExecute = 25,
    IdCopyAfterExecute = 26,
    IdAskCopy = 27,
    IdCopyModifiedFiles = 28,
    IdHourLabel = 29,
    IdHour = 30,
    IdHourSpin = 31,
    IdHourUnit = 32,
    IdTimeoutUnit = 33,
    IdMinuteLabel = 34,
    IdMinute = 35,
    IdMinuteSpin = 36,
    IdMinuteUnit = 37,
    IdTimeoutLabel = 38,
    IdTimeout = 39,
    IdTimeoutSpin = 40,
    IdAbout = 81,
    IdSave = 82,
    IdClose = 83,
};
constexpr uint16_t GroupOffset = 40;

// The control that shows a settings key in a task's group; 0 for a key without one.
uint16_t ControlOfKey(const SettingsKey& key, TaskId task);

constexpr uint16_t SettingsControlCount = 83;
extern const DialogHeader SettingsDialogHeader;
extern const std::array<DialogControl, SettingsControlCount> SettingsControls;
// The fixed block the template is written into.
constexpr size_t SettingsTemplateCapacity = 4096;

struct SpinRange {
    uint16_t spinId;
    uint16_t upper;  // the lower bound is 0
};
constexpr size_t SpinRangeCount = 6;
extern const SpinRange SpinRanges[SpinRangeCount];

// The controls that "Copy only new or modified files" enables, previous group.
constexpr size_t ModifiedRowCount = 6;
extern const uint16_t ModifiedRowIds[ModifiedRowCount];

struct ToolTip {
    uint16_t id;
    const char* text;
};
constexpr size_t ToolTipCount = 34;
extern const ToolTip ToolTips[ToolTipCount];  // in the order the tools are added

// The path and parameter fields that carry the macro menu, in subclassing order.
constexpr size_t MacroFieldCount = 10;
extern const uint16_t MacroFieldIds[MacroFieldCount];

// Caption texts.
extern const char SettingsCaption[];  // the template's caption
// The window caption: base, then (when hasVersion) " - Version: ", the version, " [", the
// settings path and "]". A path too long for capacity is shortened visibly: its start, "..."
// and its end (the file name). Always a whole, NUL-terminated text within capacity; returns
// false when something had to be shortened.
bool ComposeSettingsCaption(const char* base, bool hasVersion, const char* version, const char* settingsPath,
                            char* output, size_t capacity);
