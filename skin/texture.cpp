#include "skin/texture.h"

#include "common/scoped.h"
#include "common/text.h"
#include "skin/drawing.h"
#include "skin/texture_core.h"

HBITMAP gBackgroundTexture = nullptr;

namespace {

// The generator's memory blocks; size 0 asks for nothing and holds nothing.
BYTE* AllocateBlock(SIZE_T size) { return size ? static_cast<BYTE*>(GlobalAlloc(GPTR, size)) : nullptr; }

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

DWORD MakeTextureBitmap(int style, const RECT& rect, int strength, int lighterPercent, int tintPercent,
                        COLORREF tintColor, HBITMAP* bitmap, HBITMAP* lighterBitmap)
{
    if (bitmap) *bitmap = nullptr;
    if (lighterBitmap) *lighterBitmap = nullptr;
    // Only the uniform noise exists; other styles make nothing.
    TextureLayout layout;
    if (style != 2 || !bitmap ||
        !ComputeTextureLayout(static_cast<int64_t>(rect.right) - rect.left,
                              static_cast<int64_t>(rect.bottom) - rect.top, &layout)) {
        return ERROR_INVALID_PARAMETER;
    }

    ScopedGlobalBlock block(AllocateBlock(layout.blockSize));
    if (!block.Get()) return FailureCode();
    const bool wantLighter = (lighterPercent & 0xFF) != 0 && lighterBitmap != nullptr;
    ScopedGlobalBlock lighterTable(AllocateBlock(wantLighter ? TexturePaletteSize : 0));
    if (wantLighter && !lighterTable.Get()) return FailureCode();

    const TextureColors colors = {SkinSysColor(COLOR_BTNSHADOW), SkinSysColor(COLOR_BTNFACE),
                                  SkinSysColor(COLOR_BTNHIGHLIGHT)};
    BuildTextureBlock(block.Get(), layout, strength, colors, tintPercent, tintColor, lighterPercent,
                      lighterTable.Get());

    ScopedWindowDC screen(nullptr);
    if (!screen) return FailureCode();
    ScopedBitmap made(BitmapFromBlock(screen.Get(), block.Get()));
    if (!made) return FailureCode();
    if (wantLighter) {
        CopyBytes(lighterTable.Get(), block.Get() + TextureHeaderSize, TexturePaletteSize);
        HBITMAP lighter = BitmapFromBlock(screen.Get(), block.Get());
        if (!lighter) return FailureCode();
        *lighterBitmap = lighter;
    }
    *bitmap = made.Detach();
    return 0;
}

BOOL EraseWithTexture(HWND window, HDC dc)
{
    RECT client;
    GetClientRect(window, &client);
    if (!gBackgroundTexture) {
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        return TRUE;
    }
    ScopedBrush brush(CreatePatternBrush(gBackgroundTexture));
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
    // One brush per texture, kept with it: a new brush per message would pile up for as long
    // as the window is open, since the control uses the answer after the message returns.
    static HBRUSH gBrush = nullptr;
    static HBITMAP gMadeFrom = nullptr;
    SetBkMode(dc, TRANSPARENT);
    if (gBrush && gMadeFrom != gBackgroundTexture) {
        DeleteObject(gBrush);
        gBrush = nullptr;
        gMadeFrom = nullptr;
    }
    if (!gBrush && gBackgroundTexture) {
        gBrush = CreatePatternBrush(gBackgroundTexture);
        gMadeFrom = gBrush ? gBackgroundTexture : nullptr;
    }
    return gBrush ? gBrush : GetSysColorBrush(COLOR_BTNFACE);
}
