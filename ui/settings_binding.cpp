#include "ui/settings_binding.h"

#include <initializer_list>

#include "common/buffers.h"
#include "common/number.h"
#include "common/text.h"
#include "settings/settings_file_core.h"
#include "ui/settings_layout.h"

namespace {

// One more byte than a field, so a text longer than its field is told apart.
using ControlText = char[TextCapacity + 1];

bool IsBox(const SettingsKey& key) { return key.Kind == KeyKind::Flag || key.Kind == KeyKind::Show; }

void ShowNumber(HWND dialog, int control, int32_t stored)
{
    char text[DecimalCapacity];
    FormatUnsignedDecimal(uint32_t(stored), text);
    SetDlgItemTextA(dialog, control, text);
}

// The first control whose text cannot be stored as typed, or 0. Checked before anything is
// taken, so a refused save leaves the records as they were.
int32_t UnstorableControl(HWND dialog)
{
    ControlText text;
    for (TaskId id : {TaskPrevious, TaskMain})
        for (const SettingsKey& key : SettingsKeys) {
            int control = ControlOfKey(key, id);
            text[0] = '\0';
            if (key.Kind == KeyKind::Text) {
                UINT length = GetDlgItemTextA(dialog, control, text, sizeof text);
                if (length >= TextCapacity || !QuoteForProfile(text, TextCapacity)) return control;
            } else if (key.Kind == KeyKind::Number) {
                if (GetDlgItemTextA(dialog, control, text, PathCapacity + 1) >= PathCapacity) return control;
            }
        }
    return 0;
}

}  // namespace

void ShowRecords(HWND dialog, const TaskRecords& tasks)
{
    for (TaskId id : {TaskPrevious, TaskMain})
        for (const SettingsKey& key : SettingsKeys) {
            const TaskSettings& task = tasks.Of(id);
            int control = ControlOfKey(key, id);
            if (key.Kind == KeyKind::Text)
                SetDlgItemTextA(dialog, control, TextField(task, key));
            else if (key.Kind == KeyKind::Number)
                ShowNumber(dialog, control, NumberField(task, key));
            else
                CheckDlgButton(dialog, control, FlagSet(NumberField(task, key)) ? BST_CHECKED : BST_UNCHECKED);
        }
}

int32_t TakeControls(HWND dialog, TaskRecords& tasks)
{
    if (int32_t control = UnstorableControl(dialog)) return control;
    ControlText text;
    for (TaskId id : {TaskPrevious, TaskMain}) {
        TaskSettings& task = tasks.Of(id);
        for (int32_t index = 0; index < SettingsKeyCount; ++index) {
            const SettingsKey& key = SettingsKeys[index];
            int control = ControlOfKey(key, id);
            if (IsBox(key)) {
                bool checked = IsDlgButtonChecked(dialog, control) == BST_CHECKED;
                int32_t& stored = NumberField(task, key);
                if (checked != FlagSet(stored)) stored = checked ? 1 : 0;
                continue;
            }
            text[0] = '\0';
            GetDlgItemTextA(dialog, control, text, sizeof text);
            if (key.Kind == KeyKind::Number) {
                int32_t& stored = NumberField(task, key);
                char shown[DecimalCapacity];
                FormatUnsignedDecimal(uint32_t(stored), shown);
                if (!TextEquals(text, shown)) stored = ProfileNumber(text);
                continue;
            }
            char* field = TextField(task, key);
            if (TextEquals(text, field)) continue;  // as shown: a text loaded cut stays marked
            tasks.CutTextKeys[id] &= ~(1u << index);
            (void)TextCopy(field, TextCapacity, text);  // fits: checked above
        }
    }
    return 0;
}
