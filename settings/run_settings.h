// Reads the settings file's [RUN] section (see run_settings_core.h).
#pragma once

#include "settings/ini_text_core.h"
#include "settings/run_settings_core.h"

// Fills run from the [RUN] section of a loaded settings file; a missing section or key gives
// its default, unknown keys are ignored, a value longer than its field reads as empty.
void ReadRunSettings(const IniDocument& document, RunSettings& run);
