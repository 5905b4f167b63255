#include "ui/settings_dialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <climits>
#include <cstddef>

#include "common/buffers.h"
#include "common/error_text.h"
#include "common/system_library.h"
#include "common/text.h"
#include "common/unicode.h"
#include "common/window.h"
#include "settings/settings_file.h"
#include "settings/task_settings.h"
#include "skin/skin.h"
#include "skin/texture.h"
#include "ui/about_box.h"
#include "ui/common_controls.h"
#include "ui/dialog_template.h"
#include "ui/file_version.h"
#include "ui/macro_menu.h"
#include "ui/settings_binding.h"
#include "ui/settings_layout.h"

// The tool record without its last, reserved member: what every comctl32 version accepts.
constexpr UINT ToolRecordSize = offsetof(TOOLINFOW, lpReserved);
#if defined(_WIN32) && !defined(_WIN64)
static_assert(ToolRecordSize == 44, "the tool record without its reserved member");
#endif

namespace {

const char BrowseTitle[] = "Selecting a file";
const char FolderPrompt[] = "Please select Target folder";
const char FileFilter[] = "All files\0*.*\0";  // the literal's own NUL is the second final one

// The task of a control of one of the two groups, and the offset of its group's ids.
TaskId TaskOfControl(int id) { return id > GroupOffset ? TaskId::Main : TaskId::Previous; }
int OffsetOf(TaskId task) { return task == TaskId::Previous ? 0 : GroupOffset; }

int32_t Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED ? 1 : 0; }

// "Term" means nothing while the program is to be shown or unhidden.
void ApplyTermRule(HWND dialog, const TaskRecords& tasks, TaskId id)
{
    const TaskSettings& task = tasks.Of(id);
    EnableWindow(GetDlgItem(dialog, IdTerm + OffsetOf(id)), !(task.Unhide || task.Show));
}

// The age limit of the copied files matters only while "Copy only new or modified files" is
// checked. The spin controls stay usable either way.
void ApplyModifiedRule(HWND dialog, const TaskRecords& tasks, TaskId task)
{
    BOOL enable = tasks.Of(task).CopyModifiedFiles != 0;
    for (uint16_t id : ModifiedRowIds) EnableWindow(GetDlgItem(dialog, id + OffsetOf(task)), enable);
}

void CreateToolTips(HWND dialog, SettingsWindowState& state)
{
    HINSTANCE instance = state.Start.Startup->Instance;
    HWND tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_BALLOON,
                                   0, 0, 0, 0, dialog, nullptr, instance, nullptr);
    state.Tooltip = tooltip;
    if (!tooltip) return;
    SetWindowPos(tooltip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageW(tooltip, TTM_ACTIVATE, TRUE, 0);
    SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, 300);

    TOOLINFOW& record = state.ToolRecord;
    FillBytes(&record, sizeof record, 0);
    record.cbSize = ToolRecordSize;
    record.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    record.hwnd = dialog;
    record.hinst = instance;
    for (const ToolTip& tip : ToolTips) {
        record.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, tip.id));
        WideText text(tip.text);
        record.lpszText = const_cast<wchar_t*>(text.Get());  // copied by the control
        SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&record));
    }
}

void SetCaption(HWND dialog, const StartupValues& startup)
{
    char version[64];
    int hasVersion = ReadFileVersion(startup.OwnPath, version, sizeof version);
    // The caption keeps the window title's classic 259 bytes.
    char caption[PathUnitLimit + 1];
    ComposeSettingsCaption(SettingsCaption, hasVersion == 1, version, startup.SettingsFilePath, caption,
                           sizeof caption);
    SetWindowTextW(dialog, WideText(caption).Get());
}

void Initialise(HWND dialog, LPARAM parameter)
{
    SetWindowLongPtrW(dialog, GWLP_USERDATA, parameter);
    SettingsWindowState& state = *reinterpret_cast<SettingsWindowState*>(parameter);
    const StartupValues& startup = *state.Start.Startup;
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(state.Start.Icon));

    SetCaption(dialog, startup);

    // One texture for the rest of the process: a window opened again reuses it.
    if (!gBackgroundTexture) MakeTextureBitmap(RECT{0, 0, 240, 60}, 30, gBackgroundTexture);

    const int skinned[] = {IdAbout, IdSave, IdClose};
    static_assert(sizeof skinned / sizeof skinned[0] == sizeof state.ButtonSkins / sizeof state.ButtonSkins[0],
                  "one skin record per bottom button");
    for (size_t i = 0; i < sizeof skinned / sizeof skinned[0]; ++i) {
        state.ButtonSkins[i] = SettingsButtonSkin();
        SkinControl(GetDlgItem(dialog, skinned[i]), &state.ButtonSkins[i]);
    }

    for (const SpinRange& range : SpinRanges)
        SendDlgItemMessageW(dialog, range.spinId, UDM_SETRANGE, 0, MAKELPARAM(range.upper, 0));

    LoadSettings(startup.SettingsFilePath, state.Tasks);
    ShowRecords(dialog, state.Tasks);
    for (TaskId id : {TaskId::Previous, TaskId::Main}) {
        ApplyTermRule(dialog, state.Tasks, id);
        ApplyModifiedRule(dialog, state.Tasks, id);
    }

    CreateToolTips(dialog, state);
    InstallMacroMenu(dialog, state.Menu);
    BringToFront(dialog);
}

// Source, target and parameter: a file or a folder, as the user answers. The browser never
// starts from the field's text. The chosen path goes to the field only: the task record keeps
// the text as loaded, which Save compares with to keep a value loaded cut.
void BrowseWithQuestion(HWND dialog, int fieldId)
{
    char buffer[TextCapacity] = {};
    int answer = MessageBoxW(dialog, L"Is it a request for a folder?", L"Please Confirm", MB_YESNO | MB_ICONQUESTION);
    int32_t chosen =
        answer == IDYES
            ? BrowseForPath(dialog, BrowseTitle, buffer, sizeof buffer, FolderPrompt, sizeof FolderPrompt, 1)
            : BrowseForPath(dialog, BrowseTitle, buffer, sizeof buffer, FileFilter, sizeof FileFilter, 0);
    if (chosen) SetDlgItemTextW(dialog, fieldId, WideText(buffer).Get());
}

// The file picker: the Open dialog, its choice put into the field only (see BrowseWithQuestion).
void BrowseFor(HWND dialog, int fieldId, const char* filterOrPrompt, uint32_t filterLength, int32_t folderMode)
{
    char buffer[TextCapacity] = {};
    if (BrowseForPath(dialog, BrowseTitle, buffer, sizeof buffer, filterOrPrompt, filterLength, folderMode))
        SetDlgItemTextW(dialog, fieldId, WideText(buffer).Get());
}

void ReportSaveFailure(HWND dialog, const char* settingsFile, int32_t failedControl)
{
    DWORD error = GetLastError();
    // The system's text, a line feed and the whole settings path: room for all three.
    char message[PathCapacity + 1 + TextCapacity];
    ErrorTextOrWords(error, message, PathCapacity);
    (void)TextAppend(message, "\n");
    (void)TextAppend(message, settingsFile);
    MessageBoxW(nullptr, WideText(message).Get(), L"Error Saving Ini File", MB_SYSTEMMODAL | MB_ICONERROR);
    // A text that could not be stored as typed: show the user which one.
    if (HWND field = failedControl ? GetDlgItem(dialog, failedControl) : nullptr) {
        SetFocus(field);
        SendMessageW(field, EM_SETSEL, 0, -1);
    }
}

void OnCommand(HWND dialog, WPARAM wParam)
{
    if (wParam > 0xFFFF) return;  // notifications other than BN_CLICKED
    SettingsWindowState* state = SettingsWindowStateOf(dialog);
    if (!state) return;
    const StartupValues& startup = *state->Start.Startup;
    int id = int(wParam);
    switch (id) {
    case IdAbout: RunAboutDialog(dialog, state->Start.Icon, startup.OwnPath); return;
    case IdSave: {
        int32_t failedControl = TakeControls(dialog, state->Tasks);
        if (failedControl) SetLastError(ERROR_INSUFFICIENT_BUFFER);
        if (failedControl || !SaveSettings(startup.SettingsFilePath, state->Tasks))
            ReportSaveFailure(dialog, startup.SettingsFilePath, failedControl);
        return;
    }
    case IdClose: EndDialog(dialog, 0); return;
    default: break;
    }
    if (id < 1 || id > 2 * GroupOffset) return;
    TaskId taskId = TaskOfControl(id);
    int offset = OffsetOf(taskId);
    TaskSettings& task = state->Tasks.Of(taskId);
    switch (id - offset) {
    case IdUnhide:
        task.Unhide = Checked(dialog, id);
        ApplyTermRule(dialog, state->Tasks, taskId);
        break;
    case IdShow:
        task.Show = Checked(dialog, id);
        ApplyTermRule(dialog, state->Tasks, taskId);
        break;
    case IdCopyModifiedFiles:
        task.CopyModifiedFiles = Checked(dialog, id);
        ApplyModifiedRule(dialog, state->Tasks, taskId);
        break;
    case IdSourceBrowse: BrowseWithQuestion(dialog, IdCopySource + offset); break;
    case IdTargetBrowse: BrowseWithQuestion(dialog, IdCopyTarget + offset); break;
    case IdParametersBrowse: BrowseWithQuestion(dialog, IdParameters + offset); break;
    case IdProgramBrowse: BrowseFor(dialog, IdProgram + offset, FileFilter, sizeof FileFilter, 0); break;
    case IdWorkingDirBrowse: BrowseFor(dialog, IdWorkingDir + offset, FolderPrompt, sizeof FolderPrompt, 1); break;
    default: break;
    }
}

// The browser's own caption is not settable through its parameters: set it on every
// notification, so it holds whatever the browser does to it.
int CALLBACK BrowseCallback(HWND browser, UINT, LPARAM, LPARAM title)
{
    SetWindowTextW(browser, reinterpret_cast<const wchar_t*>(title));
    return 0;
}

}  // namespace

int32_t BrowseForPath(HWND owner, const char* title, char* buffer, uint32_t bufferSize, const char* filterOrPrompt,
                      uint32_t filterLength, int32_t folderMode)
{
    if (bufferSize) buffer[0] = '\0';
    WideText wideTitle(title);
    if (folderMode == 1) {
        wchar_t displayName[MAX_PATH];
        WideText prompt(filterOrPrompt);
        BROWSEINFOW info = {};
        info.hwndOwner = owner;
        info.pidlRoot = nullptr;
        info.pszDisplayName = displayName;
        info.lpszTitle = prompt.Get();
        info.ulFlags = BIF_RETURNONLYFSDIRS;
        info.lpfn = BrowseCallback;
        info.lParam = reinterpret_cast<LPARAM>(wideTitle.Get());
        auto browse = SystemFunction<decltype(&SHBrowseForFolderW)>("shell32.dll", "SHBrowseForFolderW");
        auto pathOf = SystemFunction<decltype(&SHGetPathFromIDListW)>("shell32.dll", "SHGetPathFromIDListW");
        auto release = SystemFunction<decltype(&ILFree)>("shell32.dll", "ILFree");
        PIDLIST_ABSOLUTE list = browse && pathOf && release ? browse(&info) : nullptr;
        if (!list) return 0;
        wchar_t path[MAX_PATH];
        BOOL found = pathOf(list, path);
        release(list);
        // A folder without a file-system path, or one the buffer cannot hold whole, is no choice.
        if (!found || !NarrowToUtf8(path, buffer, bufferSize) ||
            (!TextEndsWith(path, L'\\') && !TextAppend(buffer, bufferSize, "\\"))) {
            if (bufferSize) buffer[0] = '\0';
            return 0;
        }
        return 1;
    }
    // The filter's pairs are separated by NULs: all filterLength bytes are widened.
    WideText filter(filterOrPrompt, filterLength);
    wchar_t file[TextCapacity] = {};
    OPENFILENAMEW open = {};
    open.lStructSize = sizeof open;
    open.hwndOwner = owner;
    open.hInstance = GetModuleHandleW(nullptr);
    open.lpstrFilter = filter.Get();
    open.lpstrFile = file;
    open.nMaxFile = TextCapacity;
    open.lpstrTitle = wideTitle.Get();
    open.Flags = OFN_EXPLORER | OFN_LONGNAMES | OFN_NOCHANGEDIR;
    auto openDialog = SystemFunction<decltype(&GetOpenFileNameW)>("comdlg32.dll", "GetOpenFileNameW");
    return openDialog && openDialog(&open) && NarrowToUtf8(file, buffer, bufferSize) ? 1 : 0;
}

INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: Initialise(dialog, lParam); return FALSE;  // no initial keyboard focus
    case WM_COMMAND: OnCommand(dialog, wParam); return FALSE;
    case WM_ERASEBKGND: return EraseWithTexture(dialog, reinterpret_cast<HDC>(wParam));
    case WM_CTLCOLORSTATIC: return reinterpret_cast<INT_PTR>(TextureBrushFor(reinterpret_cast<HDC>(wParam)));
    case WM_WINDOWPOSCHANGED: {
        // Moving the window must leave no stale picture of the texture behind.
        RECT rect;
        GetWindowRect(dialog, &rect);
        RedrawWindow(GetDesktopWindow(), &rect, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return FALSE;
    }
    case WM_CLOSE: EndDialog(dialog, 0); return TRUE;
    default: return FALSE;
    }
}

SettingsWindowState* SettingsWindowStateOf(HWND dialog)
{
    // Other dialogs (the About box) keep other records there.
    if (!dialog || GetWindowLongPtrW(dialog, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(SettingsDlgProc))
        return nullptr;
    return reinterpret_cast<SettingsWindowState*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
}

void RunSettingsDialog(const StartupValues& startup)
{
    EnsureCommonControls();
    // Lives as long as the modal window, which reaches it from its handle.
    SettingsWindowState state = {};
    state.Start.Icon = startup.AppIcon;
    state.Start.Startup = &startup;
    alignas(DWORD) unsigned char block[SettingsTemplateCapacity] = {};
    if (!BuildDialogTemplate(SettingsDialogHeader, SettingsControls.data(), SettingsControlCount, block, sizeof block,
                             WidenTemplateText))
        return;
    DialogBoxIndirectParamW(startup.Instance, reinterpret_cast<LPCDLGTEMPLATEW>(block), nullptr, SettingsDlgProc,
                            reinterpret_cast<LPARAM>(&state));
}
