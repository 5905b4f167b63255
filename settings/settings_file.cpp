#include "settings/settings_file.h"

#include "common/number.h"
#include "common/text.h"
#include "launcher/startup.h"

uint32_t CutTextKeys[2];

namespace {

// Shared by the reads and writes: one more byte than a field, so a value that does not fit
// the field is told apart from one that just fits.
char Scratch[TextCapacity + 1];

// A missing settings path reads as a missing file: defaults, never another file.
DWORD ReadString(const char* section, const char* key, char* buffer, DWORD capacity)
{
    buffer[0] = '\0';
    if (!SettingsFilePath[0]) return 0;
    return GetPrivateProfileStringA(section, key, "", buffer, capacity, SettingsFilePath);
}

int32_t ReadNumber(const char* section, const char* key, int32_t readDefault)
{
    if (!SettingsFilePath[0]) return readDefault;
    return int32_t(GetPrivateProfileIntA(section, key, readDefault, SettingsFilePath));
}

bool IsTrue(const char* text)
{
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, text, -1, "TRUE", -1) == CSTR_EQUAL;
}

void LoadKey(HWND window, int32_t selector, int32_t index)
{
    const SettingsKey& key = SettingsKeys[index];
    const char* section = SectionNames[selector];
    TaskSettings& task = TaskOf(selector);
    int32_t control = ControlIdOf(key, selector);

    if (key.Kind == KeyKind::Text) {
        ReadString(section, key.Name, Scratch, sizeof Scratch);
        char* field = TextField(task, key);
        if (!TextCopy(field, TextCapacity, Scratch)) CutTextKeys[selector] |= 1u << index;
        if (window) SetDlgItemTextA(window, control, field);
        return;
    }

    int32_t& value = NumberField(task, key);
    if (key.Kind == KeyKind::Number) {
        value = ReadNumber(section, key.Name, 0);
        if (window) {
            char text[DecimalCapacity];
            FormatUnsignedDecimal(uint32_t(value), text);
            SetDlgItemTextA(window, control, text);
        }
        return;
    }

    ReadString(section, key.Name, Scratch, PathCapacity);
    if (IsTrue(Scratch))
        value = key.Kind == KeyKind::Show ? 5 : 1;
    else
        value = ReadNumber(section, key.Name, key.ReadDefault);
    if (window) CheckDlgButton(window, control, value ? BST_CHECKED : BST_UNCHECKED);
}

// The first control whose text cannot be stored as typed, or 0. Checked before anything is
// written, so a refused save leaves the file and the records as they were.
int32_t UnstorableControl(HWND window)
{
    for (int32_t selector = 0; selector < 2; ++selector) {
        for (const SettingsKey& key : SettingsKeys) {
            int32_t control = ControlIdOf(key, selector);
            if (key.Kind == KeyKind::Text) {
                Scratch[0] = '\0';
                UINT length = GetDlgItemTextA(window, control, Scratch, sizeof Scratch);
                if (length >= TextCapacity || !QuoteForProfile(Scratch, TextCapacity)) return control;
            } else if (key.Kind == KeyKind::Number) {
                Scratch[0] = '\0';
                if (GetDlgItemTextA(window, control, Scratch, PathCapacity + 1) >= PathCapacity) return control;
            }
        }
    }
    return 0;
}

bool Write(const char* section, const char* key, const char* value)
{
    return WritePrivateProfileStringA(section, key, value, SettingsFilePath) != FALSE;
}

}  // namespace

int32_t LoadSettings(HWND window)
{
    for (int32_t selector = 0; selector < 2; ++selector) {
        CutTextKeys[selector] = 0;
        for (int32_t index = 0; index < SettingsKeyCount; ++index) LoadKey(window, selector, index);
    }
    return 1;
}

int32_t SaveSettings(HWND window, int32_t* failedControl)
{
    if (failedControl) *failedControl = 0;
    // Without the window every control would read as empty and wipe the file.
    if (!window || !SettingsFilePath[0]) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (int32_t control = UnstorableControl(window)) {
        if (failedControl) *failedControl = control;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }

    for (int32_t selector = 0; selector < 2; ++selector) {
        const char* section = SectionNames[selector];
        TaskSettings& task = TaskOf(selector);
        for (int32_t index = 0; index < SettingsKeyCount; ++index) {
            const SettingsKey& key = SettingsKeys[index];
            int32_t control = ControlIdOf(key, selector);
            bool written = false;
            switch (key.Kind) {
            case KeyKind::Text: {
                char* field = TextField(task, key);
                uint32_t cut = 1u << index;
                if (CutTextKeys[selector] & cut) {
                    // Loaded cut and left as it was: writing it back would cut the file's
                    // value too, so the file keeps its own.
                    Scratch[0] = '\0';
                    GetDlgItemTextA(window, control, Scratch, sizeof Scratch);
                    if (TextEquals(Scratch, field)) {
                        written = true;
                        break;
                    }
                    CutTextKeys[selector] &= ~cut;
                }
                field[0] = '\0';
                GetDlgItemTextA(window, control, field, TextCapacity);
                (void)QuoteForProfile(field, TextCapacity);  // fits: checked above
                written = Write(section, key.Name, field);
                break;
            }
            case KeyKind::Flag:
            case KeyKind::Show:
                written = Write(section, key.Name, IsDlgButtonChecked(window, control) == BST_CHECKED ? "1" : "0");
                break;
            case KeyKind::Number:
                Scratch[0] = '\0';
                GetDlgItemTextA(window, control, Scratch, PathCapacity);
                written = Write(section, key.Name, Scratch);
                break;
            }
            // Only the section's first write is the test of whether the file can be written.
            if (index == 0 && !written) return 0;
        }
    }
    return 1;
}
