#include "ui/about_box.h"

void RunAboutDialog(HWND, HICON) {}
