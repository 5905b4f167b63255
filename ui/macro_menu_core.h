// The macro paste-in menu's items, free of any platform call.
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
