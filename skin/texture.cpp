#include "skin/texture.h"

HBITMAP BackgroundTexture = nullptr;

DWORD MakeTextureBitmap(int, const RECT&, int, int, int, COLORREF, HBITMAP* bitmap, HBITMAP* lighterBitmap)
{
    if (bitmap) *bitmap = nullptr;
    if (lighterBitmap) *lighterBitmap = nullptr;
    return ERROR_CALL_NOT_IMPLEMENTED;
}

BOOL EraseWithTexture(HWND window, HDC dc)
{
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    return TRUE;
}

HBRUSH TextureBrushFor(HDC dc)
{
    SetBkMode(dc, TRANSPARENT);
    return GetSysColorBrush(COLOR_BTNFACE);
}
