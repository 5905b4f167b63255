// Colour arithmetic of the skin: every colour is derived from the system colours with these.
// Colours are 0x00BBGGRR values (red in the low byte); results always have a zero high byte.
#pragma once

#include <cstdint>

// The Win32 MulDiv: a × b / c with a 64-bit product, rounded to the nearest integer (halves
// away from zero); -1 when c is 0 or the result does not fit in 32 bits. Kept here so the
// colour routines are exact without the platform; a Windows test compares it with MulDiv.
int32_t MulDivRounded(int32_t a, int32_t b, int32_t c);

uint32_t ColorRed(uint32_t color);
uint32_t ColorGreen(uint32_t color);
uint32_t ColorBlue(uint32_t color);
uint32_t MakeColor(uint32_t red, uint32_t green, uint32_t blue);

// The colour moved amount/255 of the way towards white or black (amount limited to 0..255).
uint32_t LightenColor(int32_t amount, uint32_t color);
uint32_t DarkenColor(int32_t amount, uint32_t color);
// 86 % of a plus 14 % of b, and 70 % of a plus 30 % of b, per channel.
uint32_t BlendColor86(uint32_t a, uint32_t b);
uint32_t BlendColor70(uint32_t a, uint32_t b);

// The tint of the button faces: the window colour itself on screens of 8 bits per pixel or
// fewer, else 70 % window colour and 30 % active caption colour.
uint32_t SkinBaseColorOf(int32_t bitsPerPixel, uint32_t windowColor, uint32_t activeCaptionColor);

// One channel (selector 1 red, 2 green, 3 blue; any other gives 0) of the mix of a and b with
// weight t/128 on b (t limited to 0..128), truncated towards zero.
int32_t MixChannel128(int32_t t, uint32_t a, uint32_t b, int32_t selector);

// The skin's repeatable pseudo-random numbers 0..32767: a sequence held by whoever draws from
// it, seeded once, so equal seeds give equal numbers.
struct NoiseSequence {
    uint32_t state;
};
int32_t NextNoise(NoiseSequence& sequence);
