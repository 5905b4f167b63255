#include "ui/settings_layout.h"

#include "common/text.h"

namespace {

// Control styles of the template.
constexpr uint32_t GroupBox = 0x50000007;     // WS_CHILD | WS_VISIBLE | BS_GROUPBOX
constexpr uint32_t Label = 0x50000000;        // WS_CHILD | WS_VISIBLE | SS_LEFT
constexpr uint32_t Edit = 0x50810080;         // WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL
constexpr uint32_t EditWide = 0x50818080;     // as Edit, plus 0x8000
constexpr uint32_t Number = 0x5081A000;       // WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_NUMBER, plus 0x8000
constexpr uint32_t Push = 0x50018000;         // WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_FLAT
constexpr uint32_t DefaultPush = 0x50018001;  // as Push, plus BS_DEFPUSHBUTTON
constexpr uint32_t Check = 0x50018003;        // WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_FLAT | BS_AUTOCHECKBOX
constexpr uint32_t Toggle = 0x50019003;       // as Check, plus BS_PUSHLIKE
constexpr uint32_t Spin =
    0x500000B6;  // UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_NOTHOUSANDS

constexpr const char* SpinClass = "msctls_updown32";

constexpr DialogControl Control(uint32_t style, uint16_t classAtom, const char* text, uint16_t id, int16_t x, int16_t y,
                                int16_t cx, int16_t cy)
{
    return DialogControl{style, x, y, cx, cy, id, classAtom, classAtom ? nullptr : SpinClass, text};
}

// The previous-task group in creation order (also the tab order). Each spin control follows
// its number field directly: UDS_AUTOBUDDY takes the control created before it as its buddy.
constexpr DialogControl PreviousGroup[GroupOffset] = {
    Control(GroupBox, ClassButton, "Stowlet Previous Task", IdPreviousGroup, 12, 8, 488, 156),
    Control(Label, ClassStatic, "Copy from Source:", 2, 24, 23, 72, 12),
    Control(Edit, ClassEdit, "", IdCopySource, 100, 22, 354, 12),
    Control(Push, ClassButton, "...", IdSourceBrowse, 458, 22, 14, 12),
    Control(Toggle, ClassButton, "S", IdCopySubFolders, 476, 22, 14, 12),
    Control(Label, ClassStatic, "Copy to Target:", 6, 24, 39, 72, 12),
    Control(Edit, ClassEdit, "", IdCopyTarget, 100, 38, 354, 12),
    Control(Push, ClassButton, "...", IdTargetBrowse, 458, 38, 14, 12),
    Control(Toggle, ClassButton, "O", IdCopyOverwrite, 476, 38, 14, 12),
    Control(Label, ClassStatic, "Execute:", 10, 24, 55, 72, 12),
    Control(EditWide, ClassEdit, "", IdProgram, 100, 54, 371, 12),
    Control(Push, ClassButton, "...", IdProgramBrowse, 476, 54, 14, 12),
    Control(Label, ClassStatic, "Parameters:", 13, 24, 71, 72, 12),
    Control(EditWide, ClassEdit, "", IdParameters, 100, 70, 371, 12),
    Control(Push, ClassButton, "...", IdParametersBrowse, 476, 70, 14, 12),
    Control(Label, ClassStatic, "Working Directory:", 16, 24, 87, 72, 12),
    Control(EditWide, ClassEdit, "", IdWorkingDir, 100, 86, 371, 12),
    Control(Push, ClassButton, "...", IdWorkingDirBrowse, 476, 86, 14, 12),
    Control(Label, ClassStatic, "Options:", 19, 24, 104, 72, 12),
    Control(Check, ClassButton, "Unhide", IdUnhide, 100, 104, 130, 12),
    Control(Check, ClassButton, "Show", IdShow, 100, 118, 130, 12),
    Control(Check, ClassButton, "Copy before 'Execute'", IdCopyBeforeExecute, 100, 132, 130, 12),
    Control(Check, ClassButton, "Ask before 'Copy before' Execute", IdAskCopyBefore, 100, 146, 130, 12),
    Control(Check, ClassButton, "Term", IdTerm, 230, 104, 130, 12),
    Control(Check, ClassButton, "Ask before 'Execute'", IdAskExecute, 230, 118, 130, 12),
    Control(Check, ClassButton, "Copy after 'Execute'", IdCopyAfterExecute, 230, 132, 130, 12),
    Control(Check, ClassButton, "Ask before 'Copy after' Execute", IdAskCopy, 230, 146, 130, 12),
    Control(Check, ClassButton, "Copy only new or modified files", IdCopyModifiedFiles, 360, 104, 130, 12),
    Control(Label, ClassStatic, "Files modified in last:", IdHourLabel, 360, 120, 70, 12),
    Control(Number, ClassEdit, "", IdHour, 434, 118, 38, 11),
    Control(Spin, 0, "", IdHourSpin, 440, 118, 24, 11),
    Control(Label, ClassStatic, "hr", IdHourUnit, 476, 119, 12, 12),
    Control(Label, ClassStatic, "Files modified in last:", IdMinuteLabel, 360, 134, 70, 12),
    Control(Number, ClassEdit, "", IdMinute, 434, 132, 38, 11),
    Control(Spin, 0, "", IdMinuteSpin, 434, 132, 38, 11),
    Control(Label, ClassStatic, "min", IdMinuteUnit, 476, 133, 12, 12),
    Control(Label, ClassStatic, "Time Out:", IdTimeoutLabel, 360, 148, 70, 12),
    Control(Number, ClassEdit, "", IdTimeout, 434, 146, 38, 11),
    Control(Spin, 0, "", IdTimeoutSpin, 434, 146, 38, 11),
    Control(Label, ClassStatic, "sec", IdTimeoutUnit, 476, 147, 12, 12),
};

constexpr int16_t GroupDrop = 164;

// The main-task group repeats the previous one 40 ids higher and 164 units lower, with its own
// caption and its hours spin control at x 434.
constexpr std::array<DialogControl, SettingsControlCount> MakeSettingsControls()
{
    std::array<DialogControl, SettingsControlCount> controls = {};
    for (uint16_t i = 0; i < GroupOffset; ++i) {
        controls[i] = PreviousGroup[i];
        DialogControl main = PreviousGroup[i];
        main.id = uint16_t(main.id + GroupOffset);
        main.y = int16_t(main.y + GroupDrop);
        if (main.id == IdPreviousGroup + GroupOffset) main.text = "Stowlet Main Task";
        if (main.id == IdHourSpin + GroupOffset) main.x = 434;
        controls[GroupOffset + i] = main;
    }
    controls[80] = Control(Push, ClassButton, "About...", IdAbout, 12, 338, 88, 16);
    controls[81] = Control(Push, ClassButton, "Save", IdSave, 312, 338, 88, 16);
    controls[82] = Control(DefaultPush, ClassButton, "Close", IdClose, 412, 338, 88, 16);
    return controls;
}

const char SourceTip[] =
    "Press CTRL+SPACEBAR to PopUp Paste-In-Macros menu.\nUse semicolon \";\" for multiple wildcard, example:\n"
    "C:\\Documents\\*.doc;*.xls;*.pp?";
const char FieldTip[] = "Press CTRL+SPACEBAR to PopUp Paste-In-Macros menu";
const char SubFoldersTip[] = "Process Subfolders";
const char OverwriteTip[] = "Overwrite if file exists";
const char UnhideTip[] =
    "Unhide and bring window to top if the 'Execute' application is running,\n"
    "Update the %PROCESSID% macro with the Instance Process ID.\n"
    "Note: %GITBRANCHNAME% macro value is the current branch name of GitHub Desktop from file "
    "'Working Directory'\\.git\\HEAD or 'Execute' dir \\.git\\HEAD";
const char ShowTip[] =
    "Do NOT HIDE the window of the 'Execute' application and update %PROCESSID% macro with the Instance "
    "Process ID.\n"
    "If an instance of the 'Execute' application is already running then only update the %PROCESSID% macro "
    "value.\n"
    "Note: %GITBRANCHNAME% macro value is the current branch name of GitHub Desktop from file "
    "'Working Directory'\\.git\\HEAD or 'Execute' dir \\.git\\HEAD";
const char AskExecuteTip[] = "Shows a Message asking to 'Execute' the Application";
const char TermTip[] = "Terminate the 'Execute' instances if running (Ignored if Unhide/Show is Checked)";
const char CopyAfterTip[] = "Copy files after 'Execute' the application";
const char AskCopyTip[] = "Shows a Message asking to Copy the files from Source to Target";
const char TimeoutTip[] =
    "Seconds to terminate the instance(TERM=1) or seconds to wait (Show=1) after running the 'Execute' "
    "application";
const char CopyBeforeTip[] = "Copy files before 'Execute' the application";
const char SaveTip[] =
    "Setting is saved in a .ini file with the same name as the executable file e.g.: Stowlet.exe = Stow "
    "Let.ini, AnyName.exe = AnyName.ini, etc. thus allow having multiple environment for developing or "
    "whatever";
const char CloseTip[] = "Press CTRL key when execute Stowlet to show this window setting";

constexpr uint16_t Main(uint16_t previousId) { return uint16_t(previousId + GroupOffset); }

}  // namespace

const char SettingsCaption[] = "Stowlet Launcher";

const DialogHeader SettingsDialogHeader = {
    0x90C80848,  // WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_SETFONT | DS_FIXEDSYS
    0,          0, 0, 512, 362, SettingsCaption, 8, "MS Sans Serif",
};

const std::array<DialogControl, SettingsControlCount> SettingsControls = MakeSettingsControls();

const SpinRange SpinRanges[SpinRangeCount] = {
    {IdHourSpin, 32767},      {IdMinuteSpin, 59},       {IdTimeoutSpin, 32767},
    {Main(IdHourSpin), 8760}, {Main(IdMinuteSpin), 59}, {Main(IdTimeoutSpin), 32767},
};

const uint16_t ModifiedRowIds[ModifiedRowCount] = {IdHourLabel,   IdHour,   IdHourUnit,
                                                   IdMinuteLabel, IdMinute, IdMinuteUnit};

const ToolTip ToolTips[ToolTipCount] = {
    {IdCopySource, SourceTip},
    {Main(IdCopySource), SourceTip},
    {IdCopySubFolders, SubFoldersTip},
    {Main(IdCopySubFolders), SubFoldersTip},
    {IdCopyTarget, FieldTip},
    {Main(IdCopyTarget), FieldTip},
    {IdCopyOverwrite, OverwriteTip},
    {Main(IdCopyOverwrite), OverwriteTip},
    {IdProgram, FieldTip},
    {Main(IdProgram), FieldTip},
    {IdParameters, FieldTip},
    {Main(IdParameters), FieldTip},
    {IdWorkingDir, FieldTip},
    {Main(IdWorkingDir), FieldTip},
    {IdUnhide, UnhideTip},
    {Main(IdUnhide), UnhideTip},
    {IdShow, ShowTip},
    {Main(IdShow), ShowTip},
    {IdAskExecute, AskExecuteTip},
    {Main(IdAskExecute), AskExecuteTip},
    {IdTerm, TermTip},
    {Main(IdTerm), TermTip},
    {IdCopyAfterExecute, CopyAfterTip},
    {Main(IdCopyAfterExecute), CopyAfterTip},
    {IdAskCopy, AskCopyTip},
    {Main(IdAskCopy), AskCopyTip},
    {IdTimeout, TimeoutTip},
    {Main(IdTimeout), TimeoutTip},
    {IdCopyBeforeExecute, CopyBeforeTip},
    {Main(IdCopyBeforeExecute), CopyBeforeTip},
    {IdAskCopyBefore, AskCopyTip},
    {Main(IdAskCopyBefore), AskCopyTip},
    {IdSave, SaveTip},
    {IdClose, CloseTip},
};

const uint16_t MacroFieldIds[MacroFieldCount] = {
    IdCopySource,       IdCopyTarget,       IdProgram,       IdParameters,       IdWorkingDir,
    Main(IdCopySource), Main(IdCopyTarget), Main(IdProgram), Main(IdParameters), Main(IdWorkingDir),
};

namespace {

const char Gap[] = "...";

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Ends text with "..." within capacity, so that a cut shows.
void MarkCut(char* text, size_t capacity)
{
    if (capacity < sizeof Gap) return;
    size_t length = TextLength(text);
    size_t at = length + sizeof Gap <= capacity ? length : capacity - sizeof Gap;
    CopyBytes(Gap, text + at, sizeof Gap);
}

}  // namespace

bool ComposeSettingsCaption(const char* base, bool hasVersion, const char* version, const char* settingsPath,
                            char* output, size_t capacity)
{
    if (!hasVersion) return TextCopyForDisplay(output, capacity, base);
    if (!TextCopy(output, capacity, base) || !TextAppend(output, capacity, " - Version: ") ||
        !TextAppend(output, capacity, version)) {
        MarkCut(output, capacity);  // only a version text of absurd length gets here
        return false;
    }

    static const char open[] = " [";
    static const char close[] = "]";
    const size_t frame = (sizeof open - 1) + (sizeof close - 1);
    const size_t gap = sizeof Gap - 1;
    size_t room = capacity - 1 - TextLength(output);  // for " [", the path and "]"
    size_t pathLength = TextLength(settingsPath);
    if (room >= frame + pathLength) {
        (void)TextAppend(output, capacity, open);
        (void)TextAppend(output, capacity, settingsPath);
        (void)TextAppend(output, capacity, close);
        return true;
    }
    if (room < frame + gap + 2) {
        MarkCut(output, capacity);
        return false;
    }
    // A third for the path's start (the drive), the rest for its end (the file name).
    size_t keep = room - frame - gap;
    size_t head = keep / 3;
    size_t tail = keep - head;
    // Both cuts fall between letters: a UTF-8 letter of several bytes stays whole or goes.
    while (head > 0 && IsContinuationByte(settingsPath[head])) --head;
    while (tail > 0 && IsContinuationByte(settingsPath[pathLength - tail])) --tail;
    (void)TextAppend(output, capacity, open);
    (void)TextAppendN(output, capacity, settingsPath, head);
    (void)TextAppend(output, capacity, Gap);
    (void)TextAppend(output, capacity, settingsPath + pathLength - tail);
    (void)TextAppend(output, capacity, close);
    return false;
}

namespace {

struct KeyControl {
    size_t offset;  // of the key's field in TaskSettings
    uint16_t id;    // in the previous-task group
};

constexpr KeyControl KeyControls[] = {
    {offsetof(TaskSettings, CopySource), IdCopySource},
    {offsetof(TaskSettings, CopySubFolders), IdCopySubFolders},
    {offsetof(TaskSettings, CopyTarget), IdCopyTarget},
    {offsetof(TaskSettings, CopyOverwrite), IdCopyOverwrite},
    {offsetof(TaskSettings, Program), IdProgram},
    {offsetof(TaskSettings, Parameters), IdParameters},
    {offsetof(TaskSettings, WorkingDir), IdWorkingDir},
    {offsetof(TaskSettings, Unhide), IdUnhide},
    {offsetof(TaskSettings, Show), IdShow},
    {offsetof(TaskSettings, AskExecute), IdAskExecute},
    {offsetof(TaskSettings, Term), IdTerm},
    {offsetof(TaskSettings, CopyAfterExecute), IdCopyAfterExecute},
    {offsetof(TaskSettings, AskCopy), IdAskCopy},
    {offsetof(TaskSettings, Timeout), IdTimeout},
    {offsetof(TaskSettings, CopyBeforeExecute), IdCopyBeforeExecute},
    {offsetof(TaskSettings, AskCopyBefore), IdAskCopyBefore},
    {offsetof(TaskSettings, CopyModifiedFiles), IdCopyModifiedFiles},
    {offsetof(TaskSettings, CopyModifiedFilesHour), IdHour},
    {offsetof(TaskSettings, CopyModifiedFilesMinute), IdMinute},
};
static_assert(sizeof KeyControls / sizeof KeyControls[0] == SettingsKeyCount, "one control per key");

}  // namespace

uint16_t ControlOfKey(const SettingsKey& key, TaskId task)
{
    for (const KeyControl& control : KeyControls)
        if (control.offset == key.Offset) return uint16_t(control.id + (task == TaskId::Previous ? 0 : GroupOffset));
    return 0;
}
