// The generated background texture of the settings window and its About box.
#pragma once

#include <windows.h>

// Makes a texture bitmap (style 2: uniform noise around the middle of a palette running from
// COLOR_BTNSHADOW through COLOR_BTNFACE to COLOR_BTNHIGHLIGHT) of the rectangle's size.
// strength: spread of the noise, 0..255. lighterPercent (low byte non-zero): a second bitmap
// whose palette is moved that many percent towards COLOR_BTNHIGHLIGHT goes to *lighterBitmap
// (which may be null when not wanted). tintPercent (low byte non-zero): every palette entry is
// first moved that many percent towards tintColor. Returns 0, or the Win32 error code of the
// step that failed, having released everything it made.
DWORD MakeTextureBitmap(int style, const RECT& rect, int strength, int lighterPercent, int tintPercent,
                        COLORREF tintColor, HBITMAP* bitmap, HBITMAP* lighterBitmap);

// A global because the settings window and the About box share it: made once when the settings
// window opens and kept for the
// rest of the process. None until then.
extern HBITMAP gBackgroundTexture;

// WM_ERASEBKGND: tiles gBackgroundTexture over the client area of window; returns TRUE.
// Without a texture the area is filled with COLOR_BTNFACE.
BOOL EraseWithTexture(HWND window, HDC dc);

// WM_CTLCOLORSTATIC: transparent text on dc and the texture's pattern brush as the result.
// The brush is made once per texture and kept with it, so answering the message often does not
// pile up brushes. Without a texture, the COLOR_BTNFACE system brush.
HBRUSH TextureBrushFor(HDC dc);
