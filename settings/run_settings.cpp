#include "settings/run_settings.h"

#include "common/text.h"

namespace {

// One value as UTF-8; empty when absent or too long to be whole: a cut path would name another
// file.
void ReadRunValue(const IniDocument& document, const char* key, char* output, size_t capacity)
{
    if (ReadIniValue(document, "RUN", key, output, capacity).Cut) output[0] = '\0';
}

}  // namespace

void ReadRunSettings(const IniDocument& document, RunSettings& run)
{
    FillBytes(&run, sizeof run, 0);
    char value[TextCapacity];
    ReadRunValue(document, "PromptDefault", value, sizeof value);
    run.PromptDefaultYes = ParsePromptDefault(value);
    ReadRunValue(document, "PromptTimeout", value, sizeof value);
    run.PromptTimeoutSeconds = ParsePromptTimeout(value);
    ReadRunValue(document, "LogFile", run.LogFile, sizeof run.LogFile);
    ReadRunValue(document, "ExitCode", value, sizeof value);
    run.ExitCodeOutcome = ParseExitCodeMode(value);
    ReadRunValue(document, "OutputFile", run.OutputFile, sizeof run.OutputFile);
    ReadRunValue(document, "IfRunning", value, sizeof value);
    run.WhenRunning = ParseIfRunning(value);
    ReadRunValue(document, "CopyRetries", value, sizeof value);
    run.CopyRetries = ParseBoundedCount(value, 0, MostCopyRetries);
    ReadRunValue(document, "CopyRetryWait", value, sizeof value);
    run.CopyRetryWaitSeconds = ParseBoundedCount(value, DefaultCopyRetryWait, LongestCopyRetryWait);
}
