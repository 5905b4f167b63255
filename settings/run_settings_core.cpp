#include "settings/run_settings_core.h"

#include "common/text.h"

bool ParsePromptDefault(const char* text)
{
    return TextEqualsIgnoreCase(text, "Yes") || TextEqualsIgnoreCase(text, "TRUE") || TextEquals(text, "1");
}

bool ParseExitCodeMode(const char* text) { return TextEqualsIgnoreCase(text, "Outcome"); }

uint32_t ParsePromptTimeout(const char* text)
{
    while (*text == ' ' || *text == '\t') ++text;
    uint32_t seconds = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        seconds = seconds * 10u + uint32_t(*text - '0');
        if (seconds > LongestPromptTimeout) return LongestPromptTimeout;
    }
    return seconds;
}

IfRunning ParseIfRunning(const char* text)
{
    if (TextEqualsIgnoreCase(text, "Skip")) return IfRunning::Skip;
    if (TextEqualsIgnoreCase(text, "Queue")) return IfRunning::Queue;
    return IfRunning::Parallel;
}

uint32_t ParseBoundedCount(const char* text, uint32_t fallback, uint32_t most)
{
    while (*text == ' ' || *text == '\t') ++text;
    if (*text < '0' || *text > '9') return fallback;
    uint64_t count = 0;  // never past most * 10 + 9: no wrap, whatever most is
    for (; *text >= '0' && *text <= '9'; ++text) {
        count = count * 10u + uint64_t(*text - '0');
        if (count > most) return most;
    }
    return uint32_t(count);
}
