#include "ui/macro_menu.h"

#include "common/buffers.h"
#include "common/text.h"
#include "common/unicode.h"
#include "common/window.h"
#include "ui/macro_menu_core.h"

namespace {

const wchar_t MenuStateProperty[] = L"MACRO_MENU";
const char EditProcProperty[] = "MACRO_EDIT_PROC";  // named for SubclassWindow, which takes ASCII names

MacroMenuState* StateOf(HWND field) { return static_cast<MacroMenuState*>(GetPropW(field, MenuStateProperty)); }

}  // namespace

HMENU BuildMacroMenu()
{
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    for (const MacroMenuItem& item : MacroMenuItems)
        AppendMenuW(menu, MF_STRING, item.command, WideText(item.name).Get());
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
        state.SubclassTable[i].previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(field, GWLP_WNDPROC));
        if (!field) continue;
        SetPropW(field, MenuStateProperty, &state);
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
        RemovePropW(field, MenuStateProperty);
        WNDPROC original = RemoveSubclass(field, EditProcProperty);
        return original ? CallWindowProcW(original, field, message, wParam, lParam)
                        : DefWindowProcW(field, message, wParam, lParam);
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
        SetForegroundWindow(state->Dialog);
        UINT command = UINT(TrackPopupMenu(state->Menu.Get(), TPM_RETURNCMD, rect.left + caret.x, rect.bottom + caret.y,
                                           0, state->Dialog, nullptr));
        if (command) InsertMacro(command, field);
        return 0;  // CTRL+SPACE never types a blank
    }
    return CallPreviousProcedure(field, EditProcProperty, message, wParam, lParam);
}

void InsertMacro(uint32_t command, HWND field)
{
    const char* name = MacroNameOf(command);
    if (!name) return;

    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    // Counted in UTF-16 units, as a task field's limit is; a field already longer is not cut.
    const size_t length = size_t(GetWindowTextLengthW(field));
    const size_t nameLength = TextLength(name);  // the names are ASCII: one unit a letter
    if (end < start || end > length || length - (end - start) + nameLength > TextUnitLimit) {
        MessageBeep(MB_OK);
        return;
    }
    // Replacing the selection leaves the caret after the name.
    SendMessageW(field, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(WideText(name).Get()));
}
