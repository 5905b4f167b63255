// The macro paste-in menu's items and the text edit it makes, free of any platform call.
#pragma once

#include <cstddef>
#include <cstdint>

struct MacroMenuItem {
    uint32_t command;  // what the menu returns for the item
    const char* name;  // the macro with its percent signs, also the item's text
};
constexpr size_t MacroMenuItemCount = 23;
extern const MacroMenuItem MacroMenuItems[MacroMenuItemCount];  // in menu order

// The macro name of a menu command, or none for any other command.
const char* MacroNameOf(uint32_t command);

// output = text with its characters start..end (end excluded) replaced by insert. False, with
// output emptied, when start..end is not a range within text or the result does not fit
// capacity: the caller then leaves the field as it was rather than cut anything.
bool SpliceText(const char* text, size_t start, size_t end, const char* insert, char* output, size_t capacity);
