// The skin's drawing helpers that need the screen and the system colours.
#pragma once

#include <windows.h>

#include "skin/colors.h"

// Where the skin reads the system colours and the screen's depth; replaceable by tests, so they
// can paint with fixed colours without changing them for every program on the desktop.
struct SkinSeams {
    COLORREF(WINAPI* systemColor)(int index);
    int (*screenBits)();
};
extern SkinSeams gSkinSystem;  // a global because it is a test seam

// A system colour as the skin sees it.
COLORREF SkinSysColor(int index);
// FillRect and FrameRect with a solid brush of a system colour, deleted again.
void FillWithSysColor(HDC dc, const RECT* rect, int index);
void FrameWithColor(HDC dc, const RECT* rect, COLORREF color);

// Colour depth of the screen in bits per pixel (8 when the screen does not tell).
int DisplayBitsPerPixel();
// The tint from which the button faces are derived, read from the current system colours.
COLORREF SkinBaseColor();
// Fills rect with a two-colour linear gradient: from top to bottom when the low byte of vertical
// is non-zero, else from left to right. Returns 0.
int GradientRect(HDC dc, const RECT* rect, COLORREF from, COLORREF to, int vertical);
// Sets every second pixel of a line starting at (x, y); returns the coordinate along the line of
// the last pixel set (at least one is).
int DottedLine(HDC dc, int x, int y, int length, int horizontal, COLORREF color);
