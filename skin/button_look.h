// What a skinned button looks like in each state, as plain numbers: face and frame colours,
// text colour, the text and focus rectangles and the dotted focus line. The painter applies it.
#pragma once

#include <cstdint>

// Visual states of a skinned button.
constexpr int32_t ButtonNormal = 0;
constexpr int32_t ButtonHot = 1;
constexpr int32_t ButtonPressed = 2;
constexpr int32_t ButtonDisabled = 3;

// What a skinned button shows, as bits of its record's flags.
constexpr uint32_t SkinFramed = 0x1;       // text keeps 2 pixels from the edge, the focus mark 4
constexpr uint32_t SkinHoverEffect = 0x2;  // repainted when the pointer enters and leaves
constexpr uint32_t SkinFocusMark = 0x4;    // dotted rectangle while focused; text 2 more pixels in
constexpr uint32_t SkinSeeThrough = 0x8;   // parent's background behind the face
constexpr uint32_t SkinGradientFace = 0x20000000;

// Same layout as the Win32 RECT.
struct SkinRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct FaceColors {
    uint32_t top;     // gradient colour of the top row
    uint32_t bottom;  // gradient colour of the bottom row
    uint32_t outer;   // outermost frame
    uint32_t inner;   // frame inside the white line
};

// The face of state 0..2 from the skin's base colour and the window colour; false for any other
// state (which paints nothing).
bool ComputeFaceColors(int32_t state, uint32_t baseColor, uint32_t windowColor, FaceColors* colors);

struct TextColorChoice {
    uint32_t color;
    int32_t state;  // ButtonDisabled when disabled, else the state it was given
};

// The text colour: gray text when disabled; else the record's colour for the state when set
// (0 means not set), the normal colour when set, else the button text colour.
TextColorChoice ChooseTextColor(int32_t state, bool disabled, uint32_t colorHot, uint32_t colorPressed,
                                uint32_t colorNormal, uint32_t grayText, uint32_t buttonText);

// The text rectangle inside the item rectangle: 2 pixels in on every side with SkinFramed and
// 2 more with SkinFocusMark.
SkinRect ButtonTextRect(const SkinRect& item, uint32_t flags);
// The dotted focus rectangle: 4 pixels in when framed, else 1.
SkinRect ButtonFocusRect(const SkinRect& item, uint32_t flags);
// How far to move the text down so its block sits in the middle (negative when it is taller).
int32_t TextCentringShift(const SkinRect& textRect, int32_t measuredHeight);

// The colour of the focus dots: gray text blended with button text, a little lighter.
uint32_t FocusMarkColor(uint32_t grayText, uint32_t buttonText);

// Walks a dotted line: setPixel(x, y) for every second pixel from (x, y) on while the moving
// coordinate, compared as an unsigned number, is below the start plus length. At least one pixel.
// Returns the moving coordinate of the last pixel set. Stops rather than wrap at the end of the
// 32-bit range, so no length can make it run on.
template <typename SetPixel>
int32_t DottedLineWalk(int32_t x, int32_t y, int32_t length, bool horizontal, SetPixel setPixel)
{
    const uint32_t start = static_cast<uint32_t>(horizontal ? x : y);
    const uint32_t end = start + static_cast<uint32_t>(length);
    uint32_t at = start;
    for (;;) {
        if (horizontal)
            setPixel(static_cast<int32_t>(at), y);
        else
            setPixel(x, static_cast<int32_t>(at));
        if (at > 0xFFFFFFFDu || at + 2 >= end) break;
        at += 2;
    }
    return static_cast<int32_t>(at);
}
