#include "settings/settings_file.h"

#include <initializer_list>

#include "common/number.h"
#include "common/text.h"

namespace {

// Shared by the reads and writes: one more byte than a field, so a value that does not fit
// the field is told apart from one that just fits. A global so the routines share one buffer.
char gScratch[TextCapacity + 1];

// A missing settings path reads as a missing file: defaults, never another file.
DWORD ReadString(const char* file, const char* section, const char* key, char* buffer, DWORD capacity)
{
    buffer[0] = '\0';
    if (!file[0]) return 0;
    return GetPrivateProfileStringA(section, key, "", buffer, capacity, file);
}

int32_t ReadNumber(const char* file, const char* section, const char* key, int32_t readDefault)
{
    if (!file[0]) return readDefault;
    return int32_t(GetPrivateProfileIntA(section, key, readDefault, file));
}

bool IsTrue(const char* text)
{
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, text, -1, "TRUE", -1) == CSTR_EQUAL;
}

void LoadKey(const char* file, TaskRecords& tasks, HWND window, TaskId id, int32_t index)
{
    const SettingsKey& key = SettingsKeys[index];
    const char* section = SectionNames[id];
    TaskSettings& task = tasks.Of(id);
    int32_t control = ControlIdOf(key, id);

    if (key.Kind == KeyKind::Text) {
        ReadString(file, section, key.Name, gScratch, sizeof gScratch);
        char* field = TextField(task, key);
        if (!TextCopy(field, TextCapacity, gScratch)) tasks.CutTextKeys[id] |= 1u << index;
        if (window) SetDlgItemTextA(window, control, field);
        return;
    }

    int32_t& value = NumberField(task, key);
    if (key.Kind == KeyKind::Number) {
        value = ReadNumber(file, section, key.Name, 0);
        if (window) {
            char text[DecimalCapacity];
            FormatUnsignedDecimal(uint32_t(value), text);
            SetDlgItemTextA(window, control, text);
        }
        return;
    }

    ReadString(file, section, key.Name, gScratch, PathCapacity);
    if (IsTrue(gScratch))
        value = key.Kind == KeyKind::Show ? 5 : 1;
    else
        value = ReadNumber(file, section, key.Name, key.ReadDefault);
    if (window) CheckDlgButton(window, control, value ? BST_CHECKED : BST_UNCHECKED);
}

// The first control whose text cannot be stored as typed, or 0. Checked before anything is
// written, so a refused save leaves the file and the records as they were.
int32_t UnstorableControl(HWND window)
{
    for (TaskId id : {TaskPrevious, TaskMain}) {
        for (const SettingsKey& key : SettingsKeys) {
            int32_t control = ControlIdOf(key, id);
            if (key.Kind == KeyKind::Text) {
                gScratch[0] = '\0';
                UINT length = GetDlgItemTextA(window, control, gScratch, sizeof gScratch);
                if (length >= TextCapacity || !QuoteForProfile(gScratch, TextCapacity)) return control;
            } else if (key.Kind == KeyKind::Number) {
                gScratch[0] = '\0';
                if (GetDlgItemTextA(window, control, gScratch, PathCapacity + 1) >= PathCapacity) return control;
            }
        }
    }
    return 0;
}

bool Write(const char* file, const char* section, const char* key, const char* value)
{
    return WritePrivateProfileStringA(section, key, value, file) != FALSE;
}

}  // namespace

int32_t LoadSettings(const char* settingsFile, TaskRecords& tasks, HWND window)
{
    const char* file = settingsFile ? settingsFile : "";
    for (TaskId id : {TaskPrevious, TaskMain}) {
        tasks.CutTextKeys[id] = 0;
        for (int32_t index = 0; index < SettingsKeyCount; ++index) LoadKey(file, tasks, window, id, index);
    }
    return 1;
}

int32_t SaveSettings(const char* settingsFile, TaskRecords& tasks, HWND window, int32_t* failedControl)
{
    if (failedControl) *failedControl = 0;
    // Without the window every control would read as empty and wipe the file.
    const char* file = settingsFile;
    if (!window || !file || !file[0]) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (int32_t control = UnstorableControl(window)) {
        if (failedControl) *failedControl = control;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }

    for (TaskId id : {TaskPrevious, TaskMain}) {
        const char* section = SectionNames[id];
        TaskSettings& task = tasks.Of(id);
        for (int32_t index = 0; index < SettingsKeyCount; ++index) {
            const SettingsKey& key = SettingsKeys[index];
            int32_t control = ControlIdOf(key, id);
            bool written = false;
            switch (key.Kind) {
            case KeyKind::Text: {
                char* field = TextField(task, key);
                uint32_t cut = 1u << index;
                if (tasks.CutTextKeys[id] & cut) {
                    // Loaded cut and left as it was: writing it back would cut the file's
                    // value too, so the file keeps its own.
                    gScratch[0] = '\0';
                    GetDlgItemTextA(window, control, gScratch, sizeof gScratch);
                    if (TextEquals(gScratch, field)) {
                        written = true;
                        break;
                    }
                    tasks.CutTextKeys[id] &= ~cut;
                }
                field[0] = '\0';
                GetDlgItemTextA(window, control, field, TextCapacity);
                (void)QuoteForProfile(field, TextCapacity);  // fits: checked above
                written = Write(file, section, key.Name, field);
                break;
            }
            case KeyKind::Flag:
            case KeyKind::Show:
                written =
                    Write(file, section, key.Name, IsDlgButtonChecked(window, control) == BST_CHECKED ? "1" : "0");
                break;
            case KeyKind::Number:
                gScratch[0] = '\0';
                GetDlgItemTextA(window, control, gScratch, PathCapacity);
                written = Write(file, section, key.Name, gScratch);
                break;
            }
            // Only the section's first write is the test of whether the file can be written.
            if (index == 0 && !written) return 0;
        }
    }
    return 1;
}
