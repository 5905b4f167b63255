// The control skin: owner-drawn push buttons with a gradient face, hover and focus effects,
// installed by subclassing the button and its parent dialog.
#pragma once

#include <windows.h>

// One per skinned button, attached as the "CTRL_STRUCT" window property. The first nineteen
// fields come from the caller's template; the last three are filled when the skin is
// installed. Handles and pointers are not owned by the record. A colour of 0 means "not set".
struct CTRL_STRUCT {
    HICON IconNormal;
    HICON IconHot;
    HICON IconPressed;
    HBITMAP BitmapNormal;
    HBITMAP BitmapHot;
    HBITMAP BitmapPressed;
    HBITMAP BitmapDisabled;
    COLORREF TextColorHot;
    COLORREF TextColorPressed;
    COLORREF TextColorNormal;
    HFONT FontNormal;
    HFONT FontHot;
    HCURSOR Cursor;
    const void* Sound;
    HMENU Menu;
    const char* TextUnchecked;
    const char* TextChecked;
    const char* TipText;
    DWORD Flags;
    DWORD ButtonType;
    DWORD CheckState;
    DWORD StyleBeforeSkin;
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(CTRL_STRUCT) == 88, "CTRL_STRUCT is 22 fields of 32 bits");
#endif

// Flags bits.
constexpr DWORD SkinFramed = 0x1;       // text keeps 2 pixels from the edge, the focus mark 4
constexpr DWORD SkinHoverEffect = 0x2;  // repainted when the pointer enters and leaves
constexpr DWORD SkinFocusMark = 0x4;    // dotted rectangle while focused; text 2 more pixels in
constexpr DWORD SkinSeeThrough = 0x8;   // parent's background behind the face
constexpr DWORD SkinShaped = 0x10;      // region from BitmapNormal
constexpr DWORD SkinBalloonTip = 0x20;
constexpr DWORD SkinIconLeft = 0x40;
constexpr DWORD SkinIconRight = 0x80;
constexpr DWORD SkinIconTop = 0x100;
constexpr DWORD SkinMenuArrowMask = 0xE00;
constexpr DWORD SkinGradientFace = 0x20000000;
constexpr DWORD SkinFlatFace = 0x40000000;
constexpr DWORD SkinSolidFrames = 0x80000000;

// The look of the settings window's three bottom buttons: coloured texts, framed, hover effect,
// focus mark, see-through, gradient face; everything else empty.
CTRL_STRUCT SettingsButtonSkin();

// Installs the skin on one button of a dialog. Returns 0 when window is not a window, else 1.
// skinTemplate is read (its first nineteen fields), not kept.
int SkinControl(HWND window, const CTRL_STRUCT* skinTemplate);

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
