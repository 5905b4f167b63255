// The generated background texture of the settings window and its About box.
#pragma once

#include <windows.h>

#include "common/scoped.h"

// Makes a texture bitmap of the rectangle's size: uniform noise around the middle of a palette
// running from COLOR_BTNSHADOW through COLOR_BTNFACE to COLOR_BTNHIGHLIGHT; strength is the
// spread of the noise, 0..255. Returns 0 with the bitmap in made, or the Win32 error code of
// the step that failed with made empty, having released everything it made.
DWORD MakeTextureBitmap(const RECT& rect, int strength, ScopedBitmap& made);

// The process-wide owner of the texture: a global because the settings window and the About
// box share it. Made once when the settings window opens and kept for the rest of the process;
// none until then.
extern ScopedBitmap gBackgroundTexture;

// WM_ERASEBKGND: tiles gBackgroundTexture over the client area of window; returns TRUE.
// Without a texture the area is filled with COLOR_BTNFACE.
BOOL EraseWithTexture(HWND window, HDC dc);

// WM_CTLCOLORSTATIC: transparent text on dc and the texture's pattern brush as the result.
// The brush is made once per texture and kept with it, so answering the message often does not
// pile up brushes. Without a texture, the COLOR_BTNFACE system brush.
HBRUSH TextureBrushFor(HDC dc);
