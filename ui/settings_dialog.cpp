#include "ui/settings_dialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <climits>
#include <cstddef>

#include "common/buffers.h"
#include "common/system_library.h"
#include "common/text.h"
#include "launcher/instance.h"
#include "launcher/startup.h"
#include "settings/settings_file.h"
#include "settings/task_settings.h"
#include "skin/skin.h"
#include "skin/texture.h"
#include "ui/about_box.h"
#include "ui/common_controls.h"
#include "ui/dialog_template.h"
#include "ui/file_version.h"
#include "ui/macro_menu.h"
#include "ui/settings_layout.h"

// The tool record without its last, reserved member: what every comctl32 version accepts.
constexpr UINT ToolRecordSize = offsetof(TOOLINFOA, lpReserved);
#if defined(_WIN32) && !defined(_WIN64)
static_assert(ToolRecordSize == 44, "the tool record without its reserved member");
#endif

HWND SettingsWindow;
HWND TooltipWindow;

namespace {

TOOLINFOA ToolRecord;            // reused for every tool
CTRL_STRUCT ButtonSkinTemplate;  // the look of the three bottom buttons

const char BrowseTitle[] = "Selecting a file";
const char FolderPrompt[] = "Please select Target folder";
const char FileFilter[] = "All files\0*.*\0";  // the literal's own NUL is the second final one

size_t WidenWithCodePage(const char* text, uint16_t* output, size_t capacity)
{
    int room = capacity > size_t(INT_MAX) ? INT_MAX : int(capacity);
    int words = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, -1, reinterpret_cast<LPWSTR>(output), room);
    return words > 0 ? size_t(words) : 0;
}

// Task selector and previous-group id of a control of one of the two groups.
int32_t SelectorOf(int id) { return id > GroupOffset ? TaskMain : TaskPrevious; }
int OffsetOf(int32_t selector) { return selector == TaskPrevious ? 0 : GroupOffset; }

int32_t Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED ? 1 : 0; }

// "Term" means nothing while the program is to be shown or unhidden.
void ApplyTermRule(HWND dialog, int32_t selector)
{
    const TaskSettings& task = TaskOf(selector);
    EnableWindow(GetDlgItem(dialog, IdTerm + OffsetOf(selector)), !(task.Unhide || task.Show));
}

// The age limit of the copied files matters only while "Copy only new or modified files" is
// checked. The spin controls stay usable either way.
void ApplyModifiedRule(HWND dialog, int32_t selector)
{
    BOOL enable = TaskOf(selector).CopyModifiedFiles != 0;
    for (uint16_t id : ModifiedRowIds) EnableWindow(GetDlgItem(dialog, id + OffsetOf(selector)), enable);
}

void CreateToolTips(HWND dialog)
{
    TooltipWindow = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_BALLOON,
                                    0, 0, 0, 0, dialog, nullptr, Instance, nullptr);
    if (!TooltipWindow) return;
    SetWindowPos(TooltipWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageA(TooltipWindow, TTM_ACTIVATE, TRUE, 0);
    SendMessageA(TooltipWindow, TTM_SETMAXTIPWIDTH, 0, 300);

    FillBytes(&ToolRecord, sizeof ToolRecord, 0);
    ToolRecord.cbSize = ToolRecordSize;
    ToolRecord.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ToolRecord.hwnd = dialog;
    ToolRecord.hinst = Instance;
    for (const ToolTip& tip : ToolTips) {
        ToolRecord.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, tip.id));
        ToolRecord.lpszText = const_cast<char*>(tip.text);  // copied by the control
        SendMessageA(TooltipWindow, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ToolRecord));
    }
}

void SetCaption(HWND dialog)
{
    char version[64];
    int hasVersion = ReadFileVersion(OwnPath, version, sizeof version);
    char caption[PathCapacity];
    ComposeSettingsCaption(SettingsCaption, hasVersion == 1, version, SettingsFilePath, caption, sizeof caption);
    SetWindowTextA(dialog, caption);
}

void Initialise(HWND dialog, LPARAM parameter)
{
    SettingsWindow = dialog;
    SetWindowLongPtrA(dialog, GWLP_USERDATA, parameter);
    const auto* start = reinterpret_cast<const SettingsDialogStart*>(parameter);
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(start->Icon));

    SetCaption(dialog);

    // One texture for the rest of the process: a window opened again reuses it.
    if (!BackgroundTexture) {
        RECT area = {0, 0, 240, 60};
        MakeTextureBitmap(2, area, 30, 15, 0, 0, &BackgroundTexture, nullptr);
    }

    ButtonSkinTemplate = SettingsButtonSkin();
    for (int id : {IdAbout, IdSave, IdClose}) SkinControl(GetDlgItem(dialog, id), &ButtonSkinTemplate);

    for (const SpinRange& range : SpinRanges)
        SendDlgItemMessageA(dialog, range.spinId, UDM_SETRANGE, 0, MAKELPARAM(range.upper, 0));

    LoadSettings(dialog);
    for (int32_t selector : {TaskPrevious, TaskMain}) {
        ApplyTermRule(dialog, selector);
        ApplyModifiedRule(dialog, selector);
    }

    CreateToolTips(dialog);
    InstallMacroMenu(dialog);
    BringToFront(dialog);
}

// Source, target and parameter: a file or a folder, as the user answers. The browser never
// starts from the field's text.
void BrowseWithQuestion(HWND dialog, char (&buffer)[TextCapacity], int fieldId)
{
    FillBytes(buffer, sizeof buffer, 0);
    int answer = MessageBoxA(dialog, "Is it a request for a folder?", "Please Confirm", MB_YESNO | MB_ICONQUESTION);
    int32_t chosen = answer == IDYES
                         ? BrowseForPath(dialog, BrowseTitle, buffer, sizeof buffer, FolderPrompt, sizeof FolderPrompt, 1)
                         : BrowseForPath(dialog, BrowseTitle, buffer, sizeof buffer, FileFilter, sizeof FileFilter, 0);
    if (chosen) SetDlgItemTextA(dialog, fieldId, buffer);
}

void ReportSaveFailure(HWND dialog, int32_t failedControl)
{
    DWORD error = GetLastError();
    // The system's text, a line feed and the whole settings path: room for all three.
    char message[PathCapacity + 1 + TextCapacity];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                  MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), message, PathCapacity, nullptr);
    if (length == 0 || length >= PathCapacity) return;
    (void)TextAppend(message, "\n");
    (void)TextAppend(message, SettingsFilePath);
    MessageBoxA(nullptr, message, "Error Saving Ini File", MB_SYSTEMMODAL | MB_ICONERROR);
    // A text that could not be stored as typed: show the user which one.
    if (HWND field = failedControl ? GetDlgItem(dialog, failedControl) : nullptr) {
        SetFocus(field);
        SendMessageA(field, EM_SETSEL, 0, -1);
    }
}

void OnCommand(HWND dialog, WPARAM wParam)
{
    if (wParam > 0xFFFF) return;  // notifications other than BN_CLICKED
    int id = int(wParam);
    switch (id) {
    case IdAbout: {
        const auto* start = reinterpret_cast<const SettingsDialogStart*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
        RunAboutDialog(dialog, start ? start->Icon : AppIcon);
        return;
    }
    case IdSave: {
        int32_t failedControl = 0;
        if (!SaveSettings(dialog, &failedControl)) ReportSaveFailure(dialog, failedControl);
        return;
    }
    case IdClose:
        EndDialog(dialog, 0);
        return;
    default:
        break;
    }
    if (id < 1 || id > 2 * GroupOffset) return;
    int32_t selector = SelectorOf(id);
    int offset = OffsetOf(selector);
    TaskSettings& task = TaskOf(selector);
    switch (id - offset) {
    case IdUnhide:
        task.Unhide = Checked(dialog, id);
        ApplyTermRule(dialog, selector);
        break;
    case IdShow:
        task.Show = Checked(dialog, id);
        ApplyTermRule(dialog, selector);
        break;
    case IdCopyModifiedFiles:
        task.CopyModifiedFiles = Checked(dialog, id);
        ApplyModifiedRule(dialog, selector);
        break;
    case IdSourceBrowse:
        BrowseWithQuestion(dialog, task.CopySource, IdCopySource + offset);
        break;
    case IdTargetBrowse:
        BrowseWithQuestion(dialog, task.CopyTarget, IdCopyTarget + offset);
        break;
    case IdParametersBrowse:
        BrowseWithQuestion(dialog, task.Parameters, IdParameters + offset);
        break;
    case IdProgramBrowse:
        FillBytes(task.Program, sizeof task.Program, 0);
        if (BrowseForPath(dialog, BrowseTitle, task.Program, sizeof task.Program, FileFilter, sizeof FileFilter, 0))
            SetDlgItemTextA(dialog, IdProgram + offset, task.Program);
        break;
    case IdWorkingDirBrowse:
        FillBytes(task.WorkingDir, sizeof task.WorkingDir, 0);
        if (BrowseForPath(dialog, BrowseTitle, task.WorkingDir, sizeof task.WorkingDir, FolderPrompt,
                          sizeof FolderPrompt, 1))
            SetDlgItemTextA(dialog, IdWorkingDir + offset, task.WorkingDir);
        break;
    default:
        break;
    }
}

// The browser's own caption is not settable through its parameters: set it on every
// notification, so it holds whatever the browser does to it.
int CALLBACK BrowseCallback(HWND browser, UINT, LPARAM, LPARAM title)
{
    SetWindowTextA(browser, reinterpret_cast<const char*>(title));
    return 0;
}

}  // namespace

int32_t BrowseForPath(HWND owner, const char* title, char* buffer, uint32_t bufferSize, const char* filterOrPrompt,
                      uint32_t, int32_t folderMode)
{
    if (folderMode == 1) {
        char displayName[MAX_PATH];
        BROWSEINFOA info = {};
        info.hwndOwner = owner;
        info.pidlRoot = nullptr;
        info.pszDisplayName = displayName;
        info.lpszTitle = filterOrPrompt;
        info.ulFlags = BIF_RETURNONLYFSDIRS;
        info.lpfn = BrowseCallback;
        info.lParam = reinterpret_cast<LPARAM>(title);
        auto browse = SystemFunction<decltype(&SHBrowseForFolderA)>("shell32.dll", "SHBrowseForFolderA");
        auto pathOf = SystemFunction<decltype(&SHGetPathFromIDListA)>("shell32.dll", "SHGetPathFromIDListA");
        auto release = SystemFunction<decltype(&ILFree)>("shell32.dll", "ILFree");
        PIDLIST_ABSOLUTE list = browse && pathOf && release ? browse(&info) : nullptr;
        if (!list) return 0;
        char path[MAX_PATH];
        BOOL found = pathOf(list, path);
        release(list);
        // A folder without a file-system path, or one the buffer cannot hold whole, is no choice.
        if (!found || !TextCopy(buffer, bufferSize, path) ||
            (!TextEndsWith(path, '\\') && !TextAppend(buffer, bufferSize, "\\"))) {
            if (bufferSize) buffer[0] = '\0';
            return 0;
        }
        return 1;
    }
    OPENFILENAMEA open = {};
    open.lStructSize = sizeof open;
    open.hwndOwner = owner;
    open.hInstance = Instance;
    open.lpstrFilter = filterOrPrompt;
    open.lpstrFile = buffer;
    open.nMaxFile = bufferSize;
    open.lpstrTitle = title;
    open.Flags = OFN_EXPLORER | OFN_LONGNAMES | OFN_NOCHANGEDIR;
    auto openDialog = SystemFunction<decltype(&GetOpenFileNameA)>("comdlg32.dll", "GetOpenFileNameA");
    return openDialog && openDialog(&open) ? 1 : 0;
}

INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        Initialise(dialog, lParam);
        return FALSE;  // no initial keyboard focus
    case WM_COMMAND:
        OnCommand(dialog, wParam);
        return FALSE;
    case WM_ERASEBKGND:
        return EraseWithTexture(dialog, reinterpret_cast<HDC>(wParam));
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(TextureBrushFor(reinterpret_cast<HDC>(wParam)));
    case WM_WINDOWPOSCHANGED: {
        // Moving the window must leave no stale picture of the texture behind.
        RECT rect;
        GetWindowRect(dialog, &rect);
        RedrawWindow(GetDesktopWindow(), &rect, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return FALSE;
    }
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    case WM_DESTROY:
        ReleaseMacroMenu();
        SettingsWindow = nullptr;
        TooltipWindow = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}

void RunSettingsDialog()
{
    EnsureCommonControls();
    SettingsDialogStart start = {};
    start.Icon = AppIcon;
    alignas(DWORD) unsigned char block[SettingsTemplateCapacity] = {};
    if (!BuildDialogTemplate(SettingsDialogHeader, SettingsControls.data(), SettingsControlCount, block, sizeof block,
                             WidenWithCodePage))
        return;
    DialogBoxIndirectParamA(Instance, reinterpret_cast<LPCDLGTEMPLATEA>(block), nullptr, SettingsDlgProc,
                            reinterpret_cast<LPARAM>(&start));
}
