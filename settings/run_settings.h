// Reads the settings file's [RUN] section (see run_settings_core.h).
#pragma once

#include "settings/run_settings_core.h"

// Fills run from the [RUN] section of settingsFile (UTF-8 path); a missing file, section or
// key gives its default, unknown keys are ignored.
void ReadRunSettings(const char* settingsFile, RunSettings& run);
