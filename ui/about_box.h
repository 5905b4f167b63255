// The About box: the program's picture, its version in the caption, and a link line.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include "common/scoped.h"

// Runs the About box modally over owner (the settings window) with icon as its big icon and
// the file version of ownPath (the program itself) in its caption.
void RunAboutDialog(HWND owner, HICON icon, const char* ownPath);

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Control ids of the About box.
constexpr int AboutFrameId = 500;
constexpr int AboutLinkId = 501;
constexpr int AboutOkId = 502;
constexpr int AboutPictureResource = 600;

// The page the link opens, relative to the exe's folder (the exe's folder itself when the page
// is missing), and the link's text.
extern const char AboutGuidePage[];
extern const char AboutLinkText[];

// What the About box asks of the shell, replaceable by tests (so a test click opens no browser).
struct AboutSeams {
    HINSTANCE(WINAPI* shellExecute)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
};
extern AboutSeams gAboutShell;  // a global because it is a test seam

// Turns the static control id of dialog into a link: hand cursor, underline while the pointer
// is over it, blue text, click notifications. The underlined font goes to underline, which must
// outlive the control. TRUE, or FALSE when dialog has no such control.
BOOL MakeHyperlink(HWND dialog, int id, ScopedFont& underline);
LRESULT CALLBACK HyperlinkProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK HyperlinkParentProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// A bitmap of the "IMAGE" resource id of the program's own module (module is not used), or none
// with the last error set.
HBITMAP LoadPictureResource(HMODULE module, int id);
// A bitmap of an image held in memory, or none.
HBITMAP PictureDataToBitmap(const void* data, DWORD size);
// A bitmap of the picture at the screen's resolution, or none with the last error set.
HBITMAP RenderPictureToBitmap(IPicture* picture);
// The picture bitmap the open About box window keeps (none when it could not be made); it is
// deleted when the box's state goes, after the window.
HBITMAP AboutPictureOf(HWND box);
// Paints the picture the open About box window keeps, during WM_PAINT.
void PaintPicture(HWND window, int x, int y, int width, int height);
