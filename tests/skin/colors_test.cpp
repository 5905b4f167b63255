// Colour arithmetic against the documented numbers and the rounding it depends on.
#include <gtest/gtest.h>

#include "skin/colors.h"

namespace {

constexpr uint32_t Black = 0x000000;
constexpr uint32_t White = 0xFFFFFF;

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

TEST(MulDivRounded, RoundsHalvesAwayFromZeroAndReportsWhatDoesNotFit)
{
    struct Case {
        int32_t a, b, c, expected;
    } cases[] = {
        {86, 255, 100, 219},  // 219.3
        {14, 255, 100, 36},   // 35.7
        {7, 255, 10, 179},    // 178.5 rounds up
        {3, 255, 10, 77},     // 76.5 rounds up
        {-7, 255, 10, -179},  // and away from zero below it
        {7, -255, 10, -179},
        {7, 255, -10, -179},
        {-7, -255, -10, -179},
        {1, 1, 2, 1},
        {-1, 1, 2, -1},
        {0, -5, 3, 0},
        {5, 5, 0, -1},                                 // no divisor
        {0x7FFFFFFF, 2, 1, -1},                        // too large
        {static_cast<int32_t>(0x80000000), 1, 1, -1},  // -2^31 is out of range too
        {static_cast<int32_t>(0x80000000), -1, 1, -1},
        {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MulDivRounded(c.a, c.b, c.c), c.expected) << c.a << " * " << c.b << " / " << c.c;
    }
}

TEST(SkinColors, LightenDarkenAndBlendGiveTheDocumentedValues)
{
    struct Case {
        const char* what;
        uint32_t got, expected;
    } cases[] = {
        {"lighten 64 black", LightenColor(64, Black), Rgb(64, 64, 64)},
        {"darken 64 white", DarkenColor(64, White), Rgb(191, 191, 191)},
        {"lighten 0 keeps", LightenColor(0, Rgb(1, 2, 3)), Rgb(1, 2, 3)},
        {"darken 0 keeps", DarkenColor(0, Rgb(1, 2, 3)), Rgb(1, 2, 3)},
        {"lighten 255 white", LightenColor(255, Rgb(10, 100, 200)), White},
        {"darken 255 black", DarkenColor(255, Rgb(10, 100, 200)), Black},
        {"lighten per channel", LightenColor(128, Rgb(0, 128, 255)), Rgb(128, 192, 255)},
        {"blend86 black white", BlendColor86(Black, White), Rgb(36, 36, 36)},
        {"blend86 white white", BlendColor86(White, White), White},
        {"blend86 white black", BlendColor86(White, Black), Rgb(219, 219, 219)},
        {"blend70 white white is limited", BlendColor70(White, White), White},
        {"blend70 black white", BlendColor70(Black, White), Rgb(77, 77, 77)},
        {"blend70 window caption", BlendColor70(White, Rgb(153, 180, 209)), Rgb(225, 233, 242)},
        {"channels stay apart", BlendColor70(Rgb(255, 0, 0), Rgb(0, 0, 255)), Rgb(179, 0, 77)},
        // An amount outside 0..255 is limited, so no channel runs past white or black.
        {"lighten 300", LightenColor(300, Rgb(10, 20, 30)), White},
        {"darken -5", DarkenColor(-5, Rgb(10, 20, 30)), Rgb(10, 20, 30)},
        // A stray high byte never reaches the result.
        {"high byte dropped", LightenColor(0, 0xFF123456), 0x123456},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.expected) << c.what;
}

TEST(SkinColors, Blend86NeverExceedsAChannel)
{
    for (uint32_t a = 0; a < 256; ++a) {
        for (uint32_t b = 0; b < 256; ++b) {
            const uint32_t blended = BlendColor86(Rgb(a, 0, 0), Rgb(b, 0, 0));
            ASSERT_LE(blended, 255u) << a << " " << b;
        }
    }
}

TEST(SkinColors, BaseColorIsTheWindowColourOnEightBitScreens)
{
    const uint32_t window = White;
    const uint32_t caption = Rgb(153, 180, 209);
    EXPECT_EQ(SkinBaseColorOf(8, window, caption), window);
    EXPECT_EQ(SkinBaseColorOf(4, Rgb(1, 2, 3), caption), Rgb(1, 2, 3));
    EXPECT_EQ(SkinBaseColorOf(16, window, caption), Rgb(225, 233, 242));
    EXPECT_EQ(SkinBaseColorOf(32, window, caption), Rgb(225, 233, 242));
}

TEST(SkinColors, MixChannel128PicksAChannelAndTruncates)
{
    const uint32_t a = Rgb(160, 10, 200);
    const uint32_t b = Rgb(240, 20, 100);
    struct Case {
        int32_t t, selector, expected;
    } cases[] = {
        {0, 1, 160}, {128, 1, 240}, {64, 1, 200}, {1, 1, 160},                   // 160.625 truncated
        {0, 2, 10},  {128, 2, 20},  {127, 2, 19},                                // 19.92 truncated
        {0, 3, 200}, {128, 3, 100}, {1, 3, 199},                                 // 199.2 truncated
        {64, 0, 0},  {64, 4, 0},    {64, -1, 0},  {-10, 1, 160}, {500, 1, 240},  // weights are limited to 0..128
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MixChannel128(c.t, a, b, c.selector), c.expected) << "t " << c.t << " selector " << c.selector;
    }
}

TEST(NoiseSequence, RepeatsTheSameSequenceFromTheTextureSeed)
{
    NoiseSequence noise = {214013};
    EXPECT_EQ(NextNoise(noise), 10787);
    EXPECT_EQ(NextNoise(noise), 25583);
    EXPECT_EQ(NextNoise(noise), 12533);
    NoiseSequence again = {214013};
    EXPECT_EQ(NextNoise(again), 10787);
    // The state wraps modulo 2^32 and the result stays within 0..32767.
    NoiseSequence wrapping = {0xFFFFFFFF};
    for (int i = 0; i < 1000; ++i) {
        const int32_t r = NextNoise(wrapping);
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 32767);
    }
}

}  // namespace
