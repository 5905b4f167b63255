// Window and system helpers every layer may use: the foreground switch, the system's text for
// an error code, the code-page widening, and the subclassing of a window by a property.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// Makes the window the foreground window. Its process id, or 0 when the handle is no window.
DWORD BringToFront(HWND window);

// What ShowMessageBox returns when its time ran out: no button has this id.
constexpr int BoxClosedByItself = 32000;

// A message box with UTF-8 text and caption (MessageBoxW); its answer. With seconds above 0
// the box closes after that long and the answer is BoxClosedByItself; it is otherwise the box
// MessageBox shows.
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT style, uint32_t seconds = 0);

// Puts procedure in front of the window's own procedure, which is kept in the window property
// named property. Nothing happens when the window already keeps one under that name.
void SubclassWindow(HWND window, const char* property, WNDPROC procedure);
// Hands a message to the procedure kept under property (DefWindowProc when there is none).
LRESULT CallPreviousProcedure(HWND window, const char* property, UINT message, WPARAM wParam, LPARAM lParam);
// Puts the kept procedure back and removes the property; it is returned (null when none).
WNDPROC RemoveSubclass(HWND window, const char* property);
