#include "ui/settings_dialog.h"

void RunSettingsDialog() {}
