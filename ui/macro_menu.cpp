#include "ui/macro_menu.h"

#include "common/buffers.h"
#include "common/text.h"
#include "ui/macro_menu_core.h"

HWND MacroDialog;
HMENU MacroMenu;
HWND MacroField;
EditSubclass EditSubclassTable[MacroFieldCount];

HMENU BuildMacroMenu()
{
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    for (const MacroMenuItem& item : MacroMenuItems) AppendMenuA(menu, MF_STRING, item.command, item.name);
    return menu;
}

void InstallMacroMenu(HWND dialog)
{
    MacroDialog = dialog;
    MacroMenu = BuildMacroMenu();
    for (size_t i = 0; i < MacroFieldCount; ++i) {
        HWND field = GetDlgItem(dialog, MacroFieldIds[i]);
        EditSubclassTable[i].field = field;
        // The table is filled before the procedure is replaced: the field's next message
        // already needs its previous procedure.
        EditSubclassTable[i].previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(field, GWLP_WNDPROC));
        SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MacroEditProc));
    }
}

void ReleaseMacroMenu()
{
    if (MacroMenu) DestroyMenu(MacroMenu);
    MacroMenu = nullptr;
    MacroDialog = nullptr;
    MacroField = nullptr;
}

namespace {

WNDPROC PreviousProcOf(HWND field)
{
    for (const EditSubclass& entry : EditSubclassTable)
        if (entry.field == field) return entry.previous;
    return nullptr;
}

bool ControlDown() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

}  // namespace

LRESULT CALLBACK MacroEditProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CHAR && wParam == ' ' && ControlDown()) {
        // The field is the window the character came to, which is the focus window when a key
        // was pressed; unlike asking for the focus it also holds for a field that has lost it.
        MacroField = field;
        RECT rect;
        POINT caret = {0, 0};
        GetWindowRect(field, &rect);
        GetCaretPos(&caret);
        int id = GetDlgCtrlID(field);
        SetForegroundWindow(MacroDialog);
        UINT command = UINT(TrackPopupMenu(MacroMenu, TPM_RETURNCMD, rect.left + caret.x, rect.bottom + caret.y, 0,
                                           MacroDialog, nullptr));
        if (command) InsertMacro(command, field, id);
        return 0;  // CTRL+SPACE never types a blank
    }
    WNDPROC previous = PreviousProcOf(field);
    if (!previous) return DefWindowProcA(field, message, wParam, lParam);
    return CallWindowProcA(previous, field, message, wParam, lParam);
}

void InsertMacro(uint32_t command, HWND field, int fieldId)
{
    const char* name = MacroNameOf(command);
    if (!name) return;

    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));

    // The whole text of the field, as a task field holds it; a longer text is not cut.
    static char text[TextCapacity];
    static char edited[TextCapacity];
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
