// The settings window, a dialog built in memory that edits both tasks.
#pragma once

// Runs the settings window modally; returns when it closes.
void RunSettingsDialog();
