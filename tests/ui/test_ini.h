// Settings files for the settings window's tests: where the window reads and writes, and a
// plain reader of what was written.
#pragma once

#include <string>

#include "support/support.h"

// Points the settings window at folder\Stowlet.ini, written with content; returns the path.
std::string UseSettingsFile(const TempFolder& folder, const std::string& content);
// The raw value of key in [section] as it stands in the file (quotes and all); "<absent>" when
// the section or key is missing.
std::string RawValue(const std::string& content, const std::string& section, const std::string& key);
