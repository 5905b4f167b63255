#include "skin/button_look.h"

#include "skin/colors.h"

bool ComputeFaceColors(int32_t state, uint32_t baseColor, uint32_t windowColor, FaceColors* colors)
{
    switch (state) {
    case ButtonPressed: {
        // The lighter colour on top, as if lit from below.
        colors->top = LightenColor(164, baseColor);
        colors->bottom = DarkenColor(16, baseColor);
        colors->outer = DarkenColor(70, BlendColor86(colors->bottom, colors->top));
        colors->inner = LightenColor(118, colors->outer);
        return true;
    }
    case ButtonHot: {
        colors->top = DarkenColor(24, baseColor);
        colors->bottom = LightenColor(200, baseColor);
        const uint32_t middle = BlendColor86(colors->top, colors->bottom);
        colors->outer = DarkenColor(64, middle);
        colors->inner = LightenColor(128, middle);
        return true;
    }
    case ButtonNormal: {
        colors->top = windowColor & 0xFFFFFF;
        colors->bottom = LightenColor(128, windowColor);
        colors->outer = DarkenColor(64, BlendColor86(colors->top, colors->bottom));
        colors->inner = LightenColor(96, colors->outer);
        return true;
    }
    default: return false;
    }
}

TextColorChoice ChooseTextColor(int32_t state, bool disabled, uint32_t colorHot, uint32_t colorPressed,
                                uint32_t colorNormal, uint32_t grayText, uint32_t buttonText)
{
    if (disabled) return {grayText, ButtonDisabled};
    if (colorPressed != 0 && state == ButtonPressed) return {colorPressed, state};
    if (colorHot != 0 && state == ButtonHot) return {colorHot, state};
    if (colorNormal != 0) return {colorNormal, state};
    return {buttonText, state};
}

namespace {

SkinRect Inset(SkinRect rect, int32_t by) { return {rect.left + by, rect.top + by, rect.right - by, rect.bottom - by}; }

}  // namespace

SkinRect ButtonTextRect(const SkinRect& item, uint32_t flags)
{
    SkinRect text = item;
    if (flags & SkinFramed) text = Inset(text, 2);
    if (flags & SkinFocusMark) text = Inset(text, 2);
    return text;
}

SkinRect ButtonFocusRect(const SkinRect& item, uint32_t flags) { return Inset(item, (flags & SkinFramed) ? 4 : 1); }

int32_t TextCentringShift(const SkinRect& textRect, int32_t measuredHeight)
{
    return ((textRect.bottom - textRect.top) - measuredHeight) / 2;
}

uint32_t FocusMarkColor(uint32_t grayText, uint32_t buttonText)
{
    return LightenColor(32, BlendColor86(grayText, buttonText));
}
