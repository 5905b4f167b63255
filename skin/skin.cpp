#include "skin/skin.h"

#include "common/window.h"

HWND gHotControl = nullptr;

namespace {

const wchar_t RecordProperty[] = L"CTRL_STRUCT";
const char OldProcProperty[] = "OLD_WND_PROC";  // named in ASCII for SubclassWindow

CTRL_STRUCT* RecordOf(HWND window)
{
    return window ? static_cast<CTRL_STRUCT*>(GetPropW(window, RecordProperty)) : nullptr;
}

LRESULT CallOld(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallPreviousProcedure(window, OldProcProperty, message, wParam, lParam);
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

bool ChangesWhenHot(const CTRL_STRUCT* record) { return record->TextColorHot || (record->Flags & SkinHoverEffect); }

void TrackLeave(HWND button, DWORD flags)
{
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof(track);
    track.dwFlags = flags;
    track.hwndTrack = button;
    track.dwHoverTime = HOVER_DEFAULT;
    TrackMouseEvent(&track);
}

void LeaveHot(HWND button)
{
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

int SkinControl(HWND window, CTRL_STRUCT* record)
{
    if (!IsWindow(window) || !record) return 0;

    // A button skinned before is owner-drawn by now: its style is the one it had before the
    // first skinning, kept in the old record.
    LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    if (const CTRL_STRUCT* old = RecordOf(window)) style = (style & ~LONG_PTR(0xFFFFFFFF)) | old->StyleBeforeSkin;
    SetPropW(window, RecordProperty, record);
    record->StyleBeforeSkin = static_cast<DWORD>(style);
    const LONG_PTR current = GetWindowLongPtrW(window, GWL_STYLE);
    SetWindowLongPtrW(window, GWL_STYLE, (current & ~LONG_PTR(0xF)) | BS_OWNERDRAW);

    HWND parent = GetParent(window);
    if (parent) SubclassWindow(parent, OldProcProperty, SkinDialogProc);
    SubclassWindow(window, OldProcProperty, SkinButtonProc);
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
    default: return CallOld(dialog, message, wParam, lParam);
    }
}

LRESULT CALLBACK SkinButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam)
{
    const CTRL_STRUCT* record = RecordOf(button);
    if (!record) return CallOld(button, message, wParam, lParam);

    switch (message) {
    case WM_MOUSEMOVE:
        if (!gHotControl) {
            ReleaseCapture();
            gHotControl = button;
            if (ChangesWhenHot(record)) Repaint(button);
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
        if (gHotControl != button) SendMessageW(button, WM_MOUSEMOVE, 0, 0);
        break;
    case WM_ERASEBKGND:
        // The painter covers the whole button.
        return 1;
    case WM_DESTROY:
        TrackLeave(button, TME_CANCEL | TME_LEAVE);
        LeaveHot(button);
        RemovePropW(button, RecordProperty);  // the record is its owner's
        break;
    default: break;
    }
    return CallOld(button, message, wParam, lParam);
}
