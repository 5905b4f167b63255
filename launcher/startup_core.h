// Start-up logic that needs no platform call: the names derived from the program's path,
// the CTRL-alone test and the help boxes' texts.
#pragma once

#include <cstddef>
#include <cstdint>

// settingsPath = ownPath with its last three characters replaced by "ini"; ownName = the
// settings path's file name less its last four characters. False (both left empty) when
// ownPath is shorter than three characters or a name does not fit.
bool DeriveSettingsNames(const char* ownPath, char* settingsPath, size_t settingsCapacity, char* ownName,
                         size_t nameCapacity);

// GetKeyState's shape: the 16-bit state of a virtual key.
using KeyStateReader = int16_t (*)(int virtualKey);
// CTRL held and none of SHIFT, ALT, EXECUTE, SPACE; asked in that order, stopping at the
// first key that decides. Held means the state read as unsigned 16-bit is above 1.
bool CtrlHeldAlone(KeyStateReader keyState);

extern const char HelpSyntaxCaption[];
extern const char HelpSyntaxText[];
extern const char HelpExampleCaption[];
extern const char HelpExampleText[];
extern const char CommandTooLongText[];
