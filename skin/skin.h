// The control skin: owner-drawn push buttons with a gradient face, hover and focus effects,
// installed by subclassing the button and its parent dialog.
#pragma once

#include <windows.h>

#include "skin/button_look.h"

// One per skinned button, attached as the "CTRL_STRUCT" window property. The caller owns it
// and keeps it for as long as the button lives (the settings window keeps one per button in
// its state). A colour of 0 means "not set".
struct CTRL_STRUCT {
    COLORREF TextColorHot;
    COLORREF TextColorPressed;
    COLORREF TextColorNormal;
    DWORD Flags;            // the Skin... bits of skin/button_look.h
    DWORD StyleBeforeSkin;  // the button's style before its first skinning; written by SkinControl
};

// The look of the settings window's three bottom buttons: coloured texts, framed, hover effect,
// focus mark, see-through, gradient face.
CTRL_STRUCT SettingsButtonSkin();

// Installs the skin on one button of a dialog: record (its look set by the caller) becomes the
// button's and must outlive it. Returns 0 when window is not a window or there is no record,
// else 1.
int SkinControl(HWND window, CTRL_STRUCT* record);

// The skinned button the pointer is over, or none. A global because there is one pointer: at
// most one button of all skinned windows is hot.
extern HWND gHotControl;

// The two subclass procedures, reached only through the window manager.
LRESULT CALLBACK SkinDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK SkinButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);

// Paints one skinned button completely, off-screen, reaching the screen in one copy.
void PaintSkinnedButton(const DRAWITEMSTRUCT* item, const CTRL_STRUCT* record);
// The gradient face with its three frames (state 0 normal, 1 hot, 2 pressed); rect is the same
// again on return.
void PaintButtonFace(HDC dc, RECT* rect, int state);
// The face on screens of 8 bits per pixel or fewer.
void PaintButtonFaceLowColor(HDC dc, const RECT* rect, int state);
