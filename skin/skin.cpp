#include "skin/skin.h"

HWND HotControl = nullptr;

CTRL_STRUCT SettingsButtonSkin()
{
    CTRL_STRUCT skin = {};
    skin.TextColorHot = 0x600080;
    skin.TextColorPressed = 0x600080;
    skin.TextColorNormal = 0x400000;
    skin.Flags = SkinFramed | SkinHoverEffect | SkinFocusMark | SkinSeeThrough | SkinGradientFace;
    return skin;
}

int SkinControl(HWND window, const CTRL_STRUCT*)
{
    return IsWindow(window) ? 1 : 0;
}
