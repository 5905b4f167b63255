#include "ui/macro_menu.h"

#include "common/buffers.h"
#include "common/text.h"
#include "common/window.h"
#include "ui/macro_menu_core.h"

namespace {

const char MenuStateProperty[] = "MACRO_MENU";
const char EditProcProperty[] = "MACRO_EDIT_PROC";

MacroMenuState* StateOf(HWND field) { return static_cast<MacroMenuState*>(GetPropA(field, MenuStateProperty)); }

}  // namespace

HMENU BuildMacroMenu()
{
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    for (const MacroMenuItem& item : MacroMenuItems) AppendMenuA(menu, MF_STRING, item.command, item.name);
    return menu;
}

void InstallMacroMenu(HWND dialog, MacroMenuState& state)
{
    state.Dialog = dialog;
    state.Menu.Reset(BuildMacroMenu());
    state.Field = nullptr;
    for (size_t i = 0; i < MacroFieldCount; ++i) {
        HWND field = GetDlgItem(dialog, MacroFieldIds[i]);
        state.SubclassTable[i].field = field;
        state.SubclassTable[i].previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(field, GWLP_WNDPROC));
        if (!field) continue;
        SetPropA(field, MenuStateProperty, &state);
        SubclassWindow(field, EditProcProperty, MacroEditProc);
    }
}

namespace {

bool ControlDown() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

}  // namespace

LRESULT CALLBACK MacroEditProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCDESTROY) {
        // The field's last message: it goes back to its own procedure and forgets the state.
        RemovePropA(field, MenuStateProperty);
        WNDPROC original = RemoveSubclass(field, EditProcProperty);
        return original ? CallWindowProcA(original, field, message, wParam, lParam)
                        : DefWindowProcA(field, message, wParam, lParam);
    }
    MacroMenuState* state = StateOf(field);
    if (state && message == WM_CHAR && wParam == ' ' && ControlDown()) {
        // The field is the window the character came to, which is the focus window when a key
        // was pressed; unlike asking for the focus it also holds for a field that has lost it.
        state->Field = field;
        RECT rect;
        POINT caret = {0, 0};
        GetWindowRect(field, &rect);
        GetCaretPos(&caret);
        int id = GetDlgCtrlID(field);
        SetForegroundWindow(state->Dialog);
        UINT command = UINT(TrackPopupMenu(state->Menu.Get(), TPM_RETURNCMD, rect.left + caret.x, rect.bottom + caret.y,
                                           0, state->Dialog, nullptr));
        if (command) InsertMacro(command, field, id);
        return 0;  // CTRL+SPACE never types a blank
    }
    return CallPreviousProcedure(field, EditProcProperty, message, wParam, lParam);
}

void InsertMacro(uint32_t command, HWND field, int fieldId)
{
    const char* name = MacroNameOf(command);
    if (!name) return;

    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));

    // The whole text of the field, as a task field holds it; a longer text is not cut.
    char text[TextCapacity];
    char edited[TextCapacity];
    int length = GetWindowTextLengthA(field);
    if (length < 0 || size_t(length) >= sizeof text) {
        MessageBeep(MB_OK);
        return;
    }
    text[0] = '\0';
    GetDlgItemTextA(GetParent(field), fieldId, text, sizeof text);
    if (!SpliceText(text, start, end, name, edited, sizeof edited)) {
        MessageBeep(MB_OK);
        return;
    }
    SetWindowTextA(field, edited);
    DWORD caret = start + DWORD(TextLength(name));
    SendMessageA(field, EM_SETSEL, caret, caret);
}
