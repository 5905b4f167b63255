#include "skin/drawing.h"

#include "common/scoped.h"
#include "skin/button_look.h"

namespace {

int ReadScreenBits()
{
    ScopedWindowDC screen(nullptr);
    return screen ? GetDeviceCaps(screen.Get(), BITSPIXEL) : -1;
}

}  // namespace

SkinSeams gSkinSystem = {GetSysColor, ReadScreenBits};

COLORREF SkinSysColor(int index) { return gSkinSystem.systemColor(index); }

void FillWithSysColor(HDC dc, const RECT* rect, int index)
{
    ScopedBrush brush(CreateSolidBrush(SkinSysColor(index)));
    if (brush) FillRect(dc, rect, brush.Get());
}

void FrameWithColor(HDC dc, const RECT* rect, COLORREF color)
{
    ScopedBrush brush(CreateSolidBrush(color));
    if (brush) FrameRect(dc, rect, brush.Get());
}

int DisplayBitsPerPixel()
{
    const int bits = gSkinSystem.screenBits();
    return bits == -1 ? 8 : bits;
}

COLORREF SkinBaseColor()
{
    return SkinBaseColorOf(DisplayBitsPerPixel(), SkinSysColor(COLOR_WINDOW), SkinSysColor(COLOR_ACTIVECAPTION));
}

int GradientRect(HDC dc, const RECT* rect, COLORREF from, COLORREF to, int vertical)
{
    // The vertex channels are 16 bits wide: the 8-bit channel goes into the high byte.
    TRIVERTEX vertices[2] = {};
    vertices[0].x = rect->left;
    vertices[0].y = rect->top;
    vertices[0].Red = static_cast<COLOR16>(GetRValue(from) << 8);
    vertices[0].Green = static_cast<COLOR16>(GetGValue(from) << 8);
    vertices[0].Blue = static_cast<COLOR16>(GetBValue(from) << 8);
    vertices[1].x = rect->right;
    vertices[1].y = rect->bottom;
    vertices[1].Red = static_cast<COLOR16>(GetRValue(to) << 8);
    vertices[1].Green = static_cast<COLOR16>(GetGValue(to) << 8);
    vertices[1].Blue = static_cast<COLOR16>(GetBValue(to) << 8);
    GRADIENT_RECT element = {0, 1};
    // gdi32's own entry: msimg32's GradientFill only forwards to it.
    GdiGradientFill(dc, vertices, 2, &element, 1, (vertical & 0xFF) ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
    return 0;
}

int DottedLine(HDC dc, int x, int y, int length, int horizontal, COLORREF color)
{
    return DottedLineWalk(x, y, length, horizontal != 0, [&](int px, int py) { SetPixel(dc, px, py, color); });
}
