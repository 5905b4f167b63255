// Writes windows as they stand on the screen into one 32-bit BMP, for the guide's pictures.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

// The windows in order, each copied from its own window surface into one picture of area.
// (Wine's screen DC does not show a popup menu; each window's own DC does.)
inline bool WriteWindowsBitmap(const RECT& area, const HWND* windows, int count, const std::string& path)
{
    const int w = area.right - area.left, h = area.bottom - area.top;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    for (int i = 0; i < count; ++i) {
        RECT place;
        GetWindowRect(windows[i], &place);
        HDC source = GetWindowDC(windows[i]);
        BitBlt(memory, place.left - area.left, place.top - area.top, place.right - place.left, place.bottom - place.top,
               source, 0, 0, SRCCOPY);
        ReleaseDC(windows[i], source);
    }
    GdiFlush();
    bool written = false;
    if (FILE* file = fopen(path.c_str(), "wb")) {
        BITMAPFILEHEADER header = {};
        header.bfType = 0x4D42;
        header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
        header.bfSize = header.bfOffBits + DWORD(w) * DWORD(h) * 4;
        written = fwrite(&header, sizeof header, 1, file) == 1 &&
                  fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, file) == 1 &&
                  fwrite(bits, size_t(w) * size_t(h) * 4, 1, file) == 1;
        fclose(file);
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return written;
}

inline bool WriteWindowBitmap(HWND window, const std::string& path)
{
    RECT area;
    GetWindowRect(window, &area);
    return WriteWindowsBitmap(area, &window, 1, path);
}
