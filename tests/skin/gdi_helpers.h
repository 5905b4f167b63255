// Pixel canvases, fixed system colours and a GDI object count for the skin's Windows tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "skin/drawing.h"
#include "support/resource_counts.h"

// A 32-bit top-down DIB section selected into a memory DC, filled with a marker colour.
class Canvas {
public:
    Canvas(int width, int height, COLORREF marker = RGB(1, 2, 3)) : width_(width), height_(height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        previous_ = SelectObject(dc_, bitmap_);
        Fill(marker);
    }
    ~Canvas()
    {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void Fill(COLORREF color)
    {
        GdiFlush();
        for (int i = 0; i < width_ * height_; ++i) bits_[i] = Swap(color);
    }
    COLORREF At(int x, int y) const
    {
        GdiFlush();
        return Swap(bits_[y * width_ + x]);
    }

private:
    // DIB pixels are 0x00RRGGBB; COLORREF is 0x00BBGGRR.
    static uint32_t Swap(uint32_t c) { return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); }

    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    uint32_t* bits_ = nullptr;
};

// The colours of the documented examples, seen by the skin only (the desktop keeps its own).
inline COLORREF WINAPI ExampleSystemColor(int index)
{
    switch (index) {
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_ACTIVECAPTION: return RGB(153, 180, 209);
    case COLOR_GRAYTEXT: return RGB(109, 109, 109);
    case COLOR_BTNTEXT: return RGB(0, 0, 0);
    case COLOR_BTNSHADOW: return RGB(160, 160, 160);
    case COLOR_BTNFACE: return RGB(240, 240, 240);
    case COLOR_BTNHIGHLIGHT: return RGB(255, 255, 255);
    case COLOR_3DLIGHT: return RGB(227, 227, 227);
    default: return GetSysColor(index);
    }
}

class FixedSkinColors {
public:
    explicit FixedSkinColors(int (*bits)() = [] { return 32; }) : saved_(gSkinSystem)
    {
        gSkinSystem.systemColor = ExampleSystemColor;
        gSkinSystem.screenBits = bits;
    }
    ~FixedSkinColors() { gSkinSystem = saved_; }
    FixedSkinColors(const FixedSkinColors&) = delete;
    FixedSkinColors& operator=(const FixedSkinColors&) = delete;

private:
    SkinSeams saved_;
};
