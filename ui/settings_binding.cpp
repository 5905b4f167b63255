#include "ui/settings_binding.h"

#include <cwchar>
#include <initializer_list>

#include "common/buffers.h"
#include "common/number.h"
#include "common/text.h"
#include "common/unicode.h"
#include "settings/settings_file_core.h"
#include "ui/settings_layout.h"

namespace {

// A text field of a task record, in bytes of UTF-8.
constexpr size_t FieldBytes = sizeof(TaskSettings::CopySource);
// The longest text a field takes, in UTF-16 units as the file's reader counts them.
constexpr size_t FieldUnits = TextUnitLimit;

// One more unit than a field, so a text longer than its field is told apart.
using ControlText = wchar_t[FieldUnits + 2];

bool IsBox(const SettingsKey& key) { return key.Kind == KeyKind::Flag || key.Kind == KeyKind::Show; }

// The number as the file holds it: a stored -1 shows as -1.
void ShowNumber(HWND dialog, int control, int32_t stored)
{
    char text[DecimalCapacity];
    FormatSignedDecimal(stored, text);
    SetDlgItemTextW(dialog, control, WideText(text).Get());
}

// A box shows what its flag does: CopySubFolders walks subfolders only at exactly 1.
bool BoxChecked(const SettingsKey& key, int32_t stored) { return FlagOn(stored, key.Reading); }

// A value that begins and ends with the same quote is stored with one more pair around it.
bool NeedsQuotes(const wchar_t* text, size_t length)
{
    return length >= 1 && (text[0] == L'"' || text[0] == L'\'') && text[length - 1] == text[0];
}

// The first control whose text cannot be stored as typed, or 0. Checked before anything is
// taken, so a refused save leaves the records as they were.
int32_t UnstorableControl(HWND dialog)
{
    ControlText text;
    char stored[FieldBytes];
    for (TaskId id : {TaskId::Previous, TaskId::Main})
        for (const SettingsKey& key : SettingsKeys) {
            int control = ControlOfKey(key, id);
            text[0] = L'\0';
            if (key.Kind == KeyKind::Text) {
                size_t length = GetDlgItemTextW(dialog, control, text, FieldUnits + 2);
                if (length > FieldUnits || (NeedsQuotes(text, length) && length + 2 > FieldUnits)) return control;
                // The record holds UTF-8: a text in many-byte letters may outgrow its field.
                if (!NarrowToUtf8(text, stored, FieldBytes) || !QuoteForProfile(stored, FieldBytes)) return control;
            } else if (key.Kind == KeyKind::Number) {
                if (GetDlgItemTextW(dialog, control, text, PathUnitLimit + 2) > PathUnitLimit) return control;
            }
        }
    return 0;
}

}  // namespace

void ShowRecords(HWND dialog, const TaskRecords& tasks)
{
    for (TaskId id : {TaskId::Previous, TaskId::Main})
        for (const SettingsKey& key : SettingsKeys) {
            const TaskSettings& task = tasks.Of(id);
            int control = ControlOfKey(key, id);
            if (key.Kind == KeyKind::Text)
                SetDlgItemTextW(dialog, control, WideText(TextField(task, key)).Get());
            else if (key.Kind == KeyKind::Number)
                ShowNumber(dialog, control, NumberField(task, key));
            else
                CheckDlgButton(dialog, control, BoxChecked(key, NumberField(task, key)) ? BST_CHECKED : BST_UNCHECKED);
        }
}

int32_t TakeControls(HWND dialog, TaskRecords& tasks)
{
    if (int32_t control = UnstorableControl(dialog)) return control;
    ControlText text;
    for (TaskId id : {TaskId::Previous, TaskId::Main}) {
        TaskSettings& task = tasks.Of(id);
        for (int32_t index = 0; index < SettingsKeyCount; ++index) {
            const SettingsKey& key = SettingsKeys[index];
            int control = ControlOfKey(key, id);
            if (IsBox(key)) {
                bool checked = IsDlgButtonChecked(dialog, control) == BST_CHECKED;
                int32_t& stored = NumberField(task, key);
                if (checked != BoxChecked(key, stored)) stored = checked ? 1 : 0;  // left as it opened: kept
                continue;
            }
            text[0] = L'\0';
            GetDlgItemTextW(dialog, control, text, FieldUnits + 2);
            if (key.Kind == KeyKind::Number) {
                // Changed: saved exactly as typed. Left as shown (the integer the file held, or
                // what an earlier save took as typed): kept.
                char shown[DecimalCapacity];
                FormatSignedDecimal(NumberField(task, key), shown);
                const char* before = TypedNumber(tasks, id, index);
                char typed[PathCapacity];  // fits: checked above
                if (NarrowToUtf8(text, typed, sizeof typed) && !TextEquals(typed, before ? before : shown))
                    (void)SetTypedNumber(tasks, id, index, typed);
                continue;
            }
            char* field = TextField(task, key);
            // Compared as shown: a text loaded cut, or not UTF-8, stays as the record holds it.
            if (wcscmp(text, WideText(field).Get()) == 0) continue;
            tasks.CutKeysOf(id) &= ~(1u << index);
            (void)NarrowToUtf8(text, field, FieldBytes);  // fits: checked above
        }
    }
    return 0;
}
