#include "settings/run_settings.h"

#include <windows.h>

#include "common/text.h"
#include "common/unattended.h"
#include "common/unicode.h"

namespace {

// One value as UTF-8; empty when absent or too long to be whole.
void ReadRunValue(const wchar_t* file, const wchar_t* key, char* output, uint32_t capacity)
{
    wchar_t value[TextCapacity];
    DWORD length = GetPrivateProfileStringW(L"RUN", key, L"", value, TextCapacity, file);
    // A value that filled the buffer was cut: a cut path would name another file.
    if (length + 1 >= TextCapacity || !NarrowToUtf8(value, output, capacity)) output[0] = '\0';
}

}  // namespace

void ReadRunSettings(const char* settingsFile, RunSettings& run)
{
    FillBytes(&run, sizeof run, 0);
    wchar_t file[TextCapacity];
    if (!settingsFile[0] || !WidenUtf8(settingsFile, file, TextCapacity)) return;
    char value[TextCapacity];
    ReadRunValue(file, L"PromptDefault", value, sizeof value);
    run.PromptDefaultYes = ParsePromptDefault(value);
    ReadRunValue(file, L"PromptTimeout", value, sizeof value);
    run.PromptTimeoutSeconds = ParsePromptTimeout(value);
    ReadRunValue(file, L"LogFile", run.LogFile, sizeof run.LogFile);
}
