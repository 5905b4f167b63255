#include "skin/colors.h"

int32_t MulDivRounded(int32_t a, int32_t b, int32_t c)
{
    if (c == 0) return -1;
    int64_t product = static_cast<int64_t>(a) * b;
    int64_t divisor = c;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    const int64_t result = product >= 0 ? (product + divisor / 2) / divisor : (product - divisor / 2) / divisor;
    if (result > 2147483647 || result < -2147483647) return -1;
    return static_cast<int32_t>(result);
}

uint32_t ColorRed(uint32_t color) { return color & 0xFF; }
uint32_t ColorGreen(uint32_t color) { return (color >> 8) & 0xFF; }
uint32_t ColorBlue(uint32_t color) { return (color >> 16) & 0xFF; }

uint32_t MakeColor(uint32_t red, uint32_t green, uint32_t blue)
{
    return (red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16;
}

namespace {

// An amount outside 0..255 would push a channel past white or below black.
int32_t LimitAmount(int32_t amount) { return amount < 0 ? 0 : amount > 255 ? 255 : amount; }

int32_t Lighten(int32_t channel, int32_t amount) { return channel + MulDivRounded(255 - channel, amount, 255); }
int32_t Darken(int32_t channel, int32_t amount) { return MulDivRounded(channel, 255 - amount, 255); }
int32_t Blend86(int32_t a, int32_t b) { return MulDivRounded(86, a, 100) + MulDivRounded(14, b, 100); }

int32_t Blend70(int32_t a, int32_t b)
{
    const int32_t sum = MulDivRounded(7, a, 10) + MulDivRounded(3, b, 10);
    return sum > 255 ? 255 : sum;
}

uint32_t PerChannel(int32_t (*step)(int32_t, int32_t), uint32_t color, int32_t amount)
{
    return MakeColor(step(ColorRed(color), amount), step(ColorGreen(color), amount), step(ColorBlue(color), amount));
}

uint32_t PerChannelPair(int32_t (*mix)(int32_t, int32_t), uint32_t a, uint32_t b)
{
    return MakeColor(mix(ColorRed(a), ColorRed(b)), mix(ColorGreen(a), ColorGreen(b)), mix(ColorBlue(a), ColorBlue(b)));
}

}  // namespace

uint32_t LightenColor(int32_t amount, uint32_t color) { return PerChannel(Lighten, color, LimitAmount(amount)); }
uint32_t DarkenColor(int32_t amount, uint32_t color) { return PerChannel(Darken, color, LimitAmount(amount)); }
uint32_t BlendColor86(uint32_t a, uint32_t b) { return PerChannelPair(Blend86, a, b); }
uint32_t BlendColor70(uint32_t a, uint32_t b) { return PerChannelPair(Blend70, a, b); }

uint32_t SkinBaseColorOf(int32_t bitsPerPixel, uint32_t windowColor, uint32_t activeCaptionColor)
{
    if (bitsPerPixel <= 8) return windowColor & 0xFFFFFF;
    return BlendColor70(windowColor, activeCaptionColor);
}

int32_t MixChannel128(int32_t t, uint32_t a, uint32_t b, int32_t selector)
{
    int32_t channelA = 0;
    int32_t channelB = 0;
    switch (selector) {
    case 1:
        channelA = ColorRed(a);
        channelB = ColorRed(b);
        break;
    case 2:
        channelA = ColorGreen(a);
        channelB = ColorGreen(b);
        break;
    case 3:
        channelA = ColorBlue(a);
        channelB = ColorBlue(b);
        break;
    default: break;
    }
    // A weight outside 0..128 would leave the range between the two channels.
    if (t < 0) t = 0;
    if (t > 128) t = 128;
    return ((128 - t) * channelA + t * channelB) / 128;
}

int32_t NextNoise(NoiseSequence& sequence)
{
    sequence.state = sequence.state * 214013u + 2531011u;
    return static_cast<int32_t>((sequence.state >> 16) & 0x7FFF);
}
