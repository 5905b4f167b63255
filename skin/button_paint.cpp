// Paints a skinned button: off-screen into a memory bitmap, then one copy to the screen.
#include "common/scoped.h"
#include "skin/button_look.h"
#include "skin/drawing.h"
#include "skin/skin.h"

namespace {

SkinRect ToSkin(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }
RECT ToRect(const SkinRect& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

// With see-through, the parent erases a client-sized bitmap and the part under the button is
// copied behind the face, so the button's corners show the parent's background.
void CopyParentBackground(HDC memory, HWND button, const RECT& face)
{
    HWND parent = GetParent(button);
    RECT client;
    if (!parent || !GetClientRect(parent, &client) || client.right <= 0 || client.bottom <= 0) return;
    ScopedMemoryDC parentMemory(CreateCompatibleDC(memory));
    if (!parentMemory) return;
    ScopedBitmap parentBitmap(CreateCompatibleBitmap(memory, client.right, client.bottom));
    if (!parentBitmap) return;
    ScopedSelect selected(parentMemory.Get(), parentBitmap.Get());
    SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(parentMemory.Get()), 0);
    RECT area;
    GetWindowRect(button, &area);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
    BitBlt(memory, face.left, face.top, face.right - face.left, face.bottom - face.top, parentMemory.Get(), area.left,
           area.top, SRCCOPY);
}

void DrawCaption(HDC memory, HWND button, RECT text)
{
    const int length = GetWindowTextLengthW(button);
    if (length <= 0) return;
    HANDLE heap = GetProcessHeap();
    auto* caption =
        static_cast<wchar_t*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, (static_cast<SIZE_T>(length) + 1) * sizeof(wchar_t)));
    if (!caption) return;
    GetWindowTextW(button, caption, length + 1);
    if (caption[0]) {
        RECT measured = text;
        DrawTextW(memory, caption, -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
        OffsetRect(&text, 0, TextCentringShift(ToSkin(text), measured.bottom - measured.top));
        DrawTextW(memory, caption, -1, &text, DT_WORDBREAK | DT_CENTER);
    }
    HeapFree(heap, 0, caption);
}

void DrawFocusMark(HDC memory, const RECT& focus)
{
    const COLORREF color = FocusMarkColor(SkinSysColor(COLOR_GRAYTEXT), SkinSysColor(COLOR_BTNTEXT));
    const int width = focus.right - focus.left;
    const int height = focus.bottom - focus.top;
    // Opposite edges start from the ends of the first ones, so their dots line up.
    const int lastX = DottedLine(memory, focus.left + 1, focus.top, width - 1, 1, color);
    DottedLine(memory, lastX + 1, focus.top + 1, height - 1, 0, color);
    const int lastY = DottedLine(memory, focus.left, focus.top + 1, height - 1, 0, color);
    DottedLine(memory, focus.left + 1, lastY + 1, width - 1, 1, color);
}

}  // namespace

void PaintButtonFace(HDC dc, RECT* rect, int state)
{
    if (DisplayBitsPerPixel() <= 8) {
        PaintButtonFaceLowColor(dc, rect, state);
        return;
    }
    FaceColors colors;
    if (!ComputeFaceColors(state, SkinBaseColor(), SkinSysColor(COLOR_WINDOW), &colors)) return;
    GradientRect(dc, rect, colors.top, colors.bottom, 1);
    FrameWithColor(dc, rect, colors.outer);
    InflateRect(rect, -1, -1);
    FrameRect(dc, rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    InflateRect(rect, -1, -1);
    FrameWithColor(dc, rect, colors.inner);
    InflateRect(rect, 2, 2);
}

void PaintButtonFaceLowColor(HDC dc, const RECT* rect, int state)
{
    int fill;
    int frame;
    switch (state) {
    case ButtonPressed:
        fill = COLOR_WINDOW;
        frame = COLOR_BTNTEXT;
        break;
    case ButtonHot:
        fill = COLOR_3DLIGHT;
        frame = COLOR_BTNSHADOW;
        break;
    case ButtonNormal:
        fill = COLOR_BTNFACE;
        frame = COLOR_BTNSHADOW;
        break;
    default: return;
    }
    FillWithSysColor(dc, rect, fill);
    FrameWithColor(dc, rect, SkinSysColor(frame));
}

void PaintSkinnedButton(const DRAWITEMSTRUCT* item, const CTRL_STRUCT* record)
{
    const RECT& bounds = item->rcItem;
    const int width = bounds.right;
    const int height = bounds.bottom;
    if (width <= 0 || height <= 0) return;
    ScopedMemoryDC memoryDC(CreateCompatibleDC(item->hDC));
    if (!memoryDC) return;
    ScopedBitmap bitmap(CreateCompatibleBitmap(item->hDC, width, height));
    if (!bitmap) return;
    HDC memory = memoryDC.Get();
    ScopedSelect bitmapSelected(memory, bitmap.Get());
    SetBkMode(memory, TRANSPARENT);

    // The dialog's font is the one selected in the button's context.
    HGDIOBJ dialogFont = SelectObject(item->hDC, GetStockObject(DEFAULT_GUI_FONT));
    SelectObject(item->hDC, dialogFont);
    const bool hot = gHotControl == item->hwndItem;
    const bool selected = (item->itemState & ODS_SELECTED) != 0;
    ScopedSelect fontSelected(memory, dialogFont);

    RECT face = bounds;
    const RECT text = ToRect(ButtonTextRect(ToSkin(bounds), record->Flags));
    const RECT focus = ToRect(ButtonFocusRect(ToSkin(bounds), record->Flags));

    if (record->Flags & SkinSeeThrough)
        CopyParentBackground(memory, item->hwndItem, face);
    else
        FillWithSysColor(memory, &face, COLOR_WINDOW);

    const int state = selected ? ButtonPressed : hot ? ButtonHot : ButtonNormal;
    // Without the gradient face the button shows the background with its text.
    if (record->Flags & SkinGradientFace) PaintButtonFace(memory, &face, state);

    const TextColorChoice color =
        ChooseTextColor(state, (item->itemState & ODS_DISABLED) != 0, record->TextColorHot, record->TextColorPressed,
                        record->TextColorNormal, SkinSysColor(COLOR_GRAYTEXT), SkinSysColor(COLOR_BTNTEXT));
    SetTextColor(memory, color.color);
    DrawCaption(memory, item->hwndItem, text);

    if ((item->itemState & ODS_FOCUS) && (record->Flags & SkinFocusMark)) DrawFocusMark(memory, focus);

    BitBlt(item->hDC, 0, 0, width, height, memory, 0, 0, SRCCOPY);
}
