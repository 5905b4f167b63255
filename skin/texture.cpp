#include "skin/texture.h"

#include "common/scoped.h"
#include "skin/drawing.h"
#include "skin/texture_core.h"

ScopedBitmap gBackgroundTexture;

namespace {

// GDI calls do not always set a last error; a failure must never read as success (0).
DWORD FailureCode()
{
    const DWORD error = GetLastError();
    return error != 0 ? error : ERROR_NOT_ENOUGH_MEMORY;
}

HBITMAP BitmapFromBlock(HDC screen, BYTE* block)
{
    const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(block);
    return CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, block + TextureHeaderSize + TexturePaletteSize, info,
                          DIB_RGB_COLORS);
}

}  // namespace

DWORD MakeTextureBitmap(const RECT& rect, int strength, ScopedBitmap& made)
{
    made.Reset();
    TextureLayout layout;
    if (!ComputeTextureLayout(static_cast<int64_t>(rect.right) - rect.left,
                              static_cast<int64_t>(rect.bottom) - rect.top, &layout)) {
        return ERROR_INVALID_PARAMETER;
    }

    ScopedGlobalBlock block(static_cast<BYTE*>(GlobalAlloc(GPTR, layout.blockSize)));
    if (!block) return FailureCode();
    const TextureColors colors = {SkinSysColor(COLOR_BTNSHADOW), SkinSysColor(COLOR_BTNFACE),
                                  SkinSysColor(COLOR_BTNHIGHLIGHT)};
    BuildTextureBlock(block.Get(), layout, strength, colors);

    ScopedWindowDC screen(nullptr);
    if (!screen) return FailureCode();
    made.Reset(BitmapFromBlock(screen.Get(), block.Get()));
    return made ? 0 : FailureCode();
}

BOOL EraseWithTexture(HWND window, HDC dc)
{
    RECT client;
    GetClientRect(window, &client);
    if (!gBackgroundTexture) {
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        return TRUE;
    }
    ScopedBrush brush(CreatePatternBrush(gBackgroundTexture.Get()));
    if (!brush) {
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        return TRUE;
    }
    ScopedSelect selected(dc, brush.Get());
    PatBlt(dc, client.left, client.top, client.right - client.left, client.bottom - client.top, PATCOPY);
    return TRUE;
}

HBRUSH TextureBrushFor(HDC dc)
{
    // One brush per texture, kept with it for the process: a new brush per message would pile
    // up for as long as the window is open, since the control uses the answer after the
    // message returns.
    static ScopedBrush gBrush;
    static HBITMAP gMadeFrom = nullptr;
    SetBkMode(dc, TRANSPARENT);
    if (gBrush && gMadeFrom != gBackgroundTexture.Get()) {
        gBrush.Reset();
        gMadeFrom = nullptr;
    }
    if (!gBrush && gBackgroundTexture) {
        gBrush.Reset(CreatePatternBrush(gBackgroundTexture.Get()));
        gMadeFrom = gBrush ? gBackgroundTexture.Get() : nullptr;
    }
    return gBrush ? gBrush.Get() : GetSysColorBrush(COLOR_BTNFACE);
}
