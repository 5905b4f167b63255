// The macro paste-in menu of the settings window's path and parameter fields: CTRL+SPACE in
// one of them opens the menu at the caret, and the chosen macro name replaces the selection.
#pragma once

#include <windows.h>

#include <cstdint>

#include "common/scoped.h"
#include "ui/settings_layout.h"

struct EditSubclass {
    HWND field;
    WNDPROC previous;
};

// The menu's share of the settings window's state; it outlives the window.
struct MacroMenuState {
    HWND Dialog;                                  // owner of the menu, the settings window
    ScopedMenu Menu;                              // built once per window
    HWND Field;                                   // the field that last opened the menu
    EditSubclass SubclassTable[MacroFieldCount];  // in the order of MacroFieldIds
};

// The pop-up menu of the 23 macro names.
HMENU BuildMacroMenu();
// Builds the menu into state and puts MacroEditProc in front of the ten fields of dialog (their
// previous procedures in the table and in each field's "MACRO_EDIT_PROC" property); each field
// finds state through its "MACRO_MENU" property and takes both off itself as it goes.
void InstallMacroMenu(HWND dialog, MacroMenuState& state);

LRESULT CALLBACK MacroEditProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam);

// Puts the macro name of command into field in place of its selection and leaves the caret
// after it. Nothing changes (and the system beeps) when the field's text with the name would
// not fit a task field; any other command does nothing.
void InsertMacro(uint32_t command, HWND field);
