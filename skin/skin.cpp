#include "skin/skin.h"

#include <cstddef>

#include "common/scoped.h"
#include "common/unicode.h"
#include "common/window.h"

HWND gHotControl = nullptr;

namespace {

const wchar_t RecordProperty[] = L"CTRL_STRUCT";
const char OldProcProperty[] = "OLD_WND_PROC";  // named in ASCII for SubclassWindow
const wchar_t WallpaperProperty[] = L"WND_WALLPAPER";

// The class cursor replaced while a button with its own cursor is hot; global with the hot
// button it belongs to.
HCURSOR gSavedClassCursor = nullptr;

// The template's fields up to Flags; the last three belong to the skin.
constexpr size_t TemplateBytes = offsetof(CTRL_STRUCT, ButtonType);

CTRL_STRUCT* RecordOf(HWND window)
{
    return window ? static_cast<CTRL_STRUCT*>(GetPropW(window, RecordProperty)) : nullptr;
}

LRESULT CallOld(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallPreviousProcedure(window, OldProcProperty, message, wParam, lParam);
}

void FreeRecord(HWND window)
{
    CTRL_STRUCT* record = RecordOf(window);
    if (!record) return;
    RemovePropW(window, RecordProperty);
    GlobalFree(record);
}

// The dialog manager rewrites a button's type when the default button moves; the skinned
// button must stay owner-drawn.
void ForceOwnerDraw(HWND button)
{
    const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
    if ((style & 0xF) != BS_OWNERDRAW) SetWindowLongPtrW(button, GWL_STYLE, (style & ~LONG_PTR(0xF)) | BS_OWNERDRAW);
}

void Repaint(HWND button) { InvalidateRect(button, nullptr, FALSE); }

void ReforceAndRepaint(HWND control)
{
    if (!RecordOf(control)) return;
    ForceOwnerDraw(control);
    Repaint(control);
}

void RefreshDefaultButton(HWND dialog)
{
    const LRESULT result = SendMessageW(dialog, DM_GETDEFID, 0, 0);
    if (result == 0) return;
    ReforceAndRepaint(GetDlgItem(dialog, LOWORD(result)));
}

bool ChangesWhenHot(const CTRL_STRUCT* record)
{
    return record->IconHot || record->TextColorHot || record->FontHot || record->BitmapHot ||
           (record->Flags & SkinHoverEffect);
}

void TrackLeave(HWND button, DWORD flags)
{
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof(track);
    track.dwFlags = flags;
    track.hwndTrack = button;
    track.dwHoverTime = HOVER_DEFAULT;
    TrackMouseEvent(&track);
}

// The check state follows a click or the space bar for check boxes and radio buttons.
void ToggleCheck(HWND button, CTRL_STRUCT* record, bool changeCaption)
{
    if (record->ButtonType == BS_AUTOCHECKBOX) {
        if (record->CheckState) {
            SendMessageW(button, BM_SETCHECK, 0, 0);
            if (changeCaption && record->TextUnchecked) SetWindowTextW(button, WideText(record->TextUnchecked).Get());
        } else {
            SendMessageW(button, BM_SETCHECK, 1, 0);
            if (changeCaption && record->TextChecked) SetWindowTextW(button, WideText(record->TextChecked).Get());
        }
    } else if (record->ButtonType == BS_RADIOBUTTON || record->ButtonType == BS_AUTORADIOBUTTON) {
        SendMessageW(button, BM_SETCHECK, 1, 0);
    }
}

bool PointerInside(HWND button, const CTRL_STRUCT* record)
{
    POINT pointer;
    RECT area;
    if (!GetCursorPos(&pointer) || !GetWindowRect(button, &area)) return false;
    if (record->Menu) area.right -= 20;
    return PtInRect(&area, pointer) != FALSE;
}

void UncheckGroupOthers(HWND button)
{
    HWND dialog = GetParent(button);
    if (!dialog) return;
    // Bounded: a group never holds more controls than the dialog has windows.
    HWND member = GetNextDlgGroupItem(dialog, button, FALSE);
    for (int guard = 0; member && member != button && guard < 4096; ++guard) {
        SendMessageW(member, BM_SETCHECK, 0, 0);
        member = GetNextDlgGroupItem(dialog, member, FALSE);
    }
}

void LeaveHot(HWND button)
{
    if (gSavedClassCursor) {
        SetClassLongPtrW(button, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(gSavedClassCursor));
        gSavedClassCursor = nullptr;
    }
    if (gHotControl == button) gHotControl = nullptr;
}

}  // namespace

CTRL_STRUCT SettingsButtonSkin()
{
    CTRL_STRUCT skin = {};
    skin.TextColorHot = 0x600080;
    skin.TextColorPressed = 0x600080;
    skin.TextColorNormal = 0x400000;
    skin.Flags = SkinFramed | SkinHoverEffect | SkinFocusMark | SkinSeeThrough | SkinGradientFace;
    return skin;
}

int SkinControl(HWND window, const CTRL_STRUCT* skinTemplate)
{
    if (!IsWindow(window) || !skinTemplate) return 0;

    // A button skinned before is owner-drawn by now: its type and style are those it had before
    // the first skinning, kept in the old record.
    LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    if (const CTRL_STRUCT* old = RecordOf(window)) style = (style & ~LONG_PTR(0xFFFFFFFF)) | old->StyleBeforeSkin;
    FreeRecord(window);
    CTRL_STRUCT* record = static_cast<CTRL_STRUCT*>(GlobalAlloc(GPTR, sizeof(CTRL_STRUCT)));
    if (!record) return 0;
    CopyMemory(record, skinTemplate, TemplateBytes);
    SetPropW(window, RecordProperty, record);

    const DWORD type = static_cast<DWORD>(style & 0xF);
    if (type != 0) {
        record->ButtonType = type;
        record->CheckState = static_cast<DWORD>(SendMessageW(window, BM_GETCHECK, 0, 0));
        if (record->CheckState == 0 && record->TextUnchecked)
            SetWindowTextW(window, WideText(record->TextUnchecked).Get());
        if (record->CheckState == 1 && record->TextChecked) SetWindowTextW(window, WideText(record->TextChecked).Get());
    }

    record->StyleBeforeSkin = static_cast<DWORD>(style);
    const LONG_PTR current = GetWindowLongPtrW(window, GWL_STYLE);
    SetWindowLongPtrW(window, GWL_STYLE, (current & ~LONG_PTR(0xF)) | BS_OWNERDRAW);

    HWND parent = GetParent(window);
    if (parent) SubclassWindow(parent, OldProcProperty, SkinDialogProc);
    SubclassWindow(window, OldProcProperty, SkinButtonProc);
    // Shaped buttons (SkinShaped with BitmapNormal) are not offered: no window here asks for one.
    return 1;
}

LRESULT CALLBACK SkinDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        HWND control = GetDlgItem(dialog, static_cast<int>(wParam));
        const CTRL_STRUCT* record = RecordOf(control);
        if (item && item->CtlType == ODT_BUTTON && record) {
            ForceOwnerDraw(control);
            PaintSkinnedButton(item, record);
            return 1;
        }
        const LRESULT result = CallOld(dialog, message, wParam, lParam);
        RefreshDefaultButton(dialog);
        return result;
    }
    case WM_COMMAND: {
        const LRESULT result = CallOld(dialog, message, wParam, lParam);
        // The dialog may be gone once a command has ended it.
        if (!IsWindow(dialog)) return result;
        ReforceAndRepaint(reinterpret_cast<HWND>(lParam));
        RefreshDefaultButton(dialog);
        return result;
    }
    case WM_NEXTDLGCTL: {
        const LRESULT result = CallOld(dialog, message, wParam, lParam);
        if (LOWORD(lParam) == 1) ReforceAndRepaint(reinterpret_cast<HWND>(wParam));
        RefreshDefaultButton(dialog);
        return result;
    }
    case WM_ERASEBKGND: {
        const LRESULT result = CallOld(dialog, message, wParam, lParam);
        HBITMAP wallpaper = static_cast<HBITMAP>(GetPropW(dialog, WallpaperProperty));
        if (!wallpaper) return result;
        HDC dc = reinterpret_cast<HDC>(wParam);
        RECT client;
        GetClientRect(dialog, &client);
        ScopedBrush brush(CreatePatternBrush(wallpaper));
        if (!brush) return result;
        ScopedSelect selected(dc, brush.Get());
        PatBlt(dc, 0, 0, client.right, client.bottom, PATCOPY);
        return 1;
    }
    case WM_DESTROY: {
        HANDLE wallpaper = RemovePropW(dialog, WallpaperProperty);
        if (wallpaper) DeleteObject(static_cast<HGDIOBJ>(wallpaper));
        return CallOld(dialog, message, wParam, lParam);
    }
    default: return CallOld(dialog, message, wParam, lParam);
    }
}

LRESULT CALLBACK SkinButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam)
{
    CTRL_STRUCT* record = RecordOf(button);
    if (!record) return CallOld(button, message, wParam, lParam);

    switch (message) {
    case WM_MOUSEMOVE:
        if (!gHotControl) {
            ReleaseCapture();
            if (record->Cursor) {
                gSavedClassCursor = reinterpret_cast<HCURSOR>(
                    SetClassLongPtrW(button, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(record->Cursor)));
            }
            gHotControl = button;
            if (ChangesWhenHot(record)) Repaint(button);
            // Sound and the button's own tooltip are not offered (no window here sets them).
            TrackLeave(button, TME_LEAVE);
        }
        break;
    case WM_MOUSELEAVE:
        LeaveHot(button);
        if (ChangesWhenHot(record)) Repaint(button);
        TrackLeave(button, TME_CANCEL | TME_LEAVE);
        break;
    case WM_LBUTTONDBLCLK:
        // A double click presses the button like a single click.
        SendMessageW(button, WM_LBUTTONDOWN, wParam, lParam);
        break;
    case WM_LBUTTONUP:
        if (gHotControl != button) {
            SendMessageW(button, WM_MOUSEMOVE, 0, 0);
        } else if (PointerInside(button, record)) {
            ToggleCheck(button, record, true);
        }
        break;
    case WM_KEYUP:
        if (wParam == VK_SPACE) ToggleCheck(button, record, false);
        break;
    case BM_SETCHECK:
        if (record->ButtonType != 0) {
            if (wParam == 1) {
                if (record->ButtonType == BS_AUTORADIOBUTTON) UncheckGroupOthers(button);
                record->CheckState = 1;
            } else {
                record->CheckState = 0;
            }
        }
        InvalidateRect(button, nullptr, TRUE);
        break;
    case BM_GETCHECK: return record->CheckState;
    case WM_ERASEBKGND:
        // The painter covers the whole button.
        return 1;
    case WM_DESTROY:
        TrackLeave(button, TME_CANCEL | TME_LEAVE);
        LeaveHot(button);
        FreeRecord(button);
        break;
    default: break;
    }
    return CallOld(button, message, wParam, lParam);
}
