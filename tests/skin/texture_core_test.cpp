// The texture block: header, palette and noise pixels, byte for byte.
#include <gtest/gtest.h>

#include <vector>

#include "skin/colors.h"
#include "skin/texture_core.h"

namespace {

uint32_t Gray(uint32_t level) { return level | level << 8 | level << 16; }

uint32_t Read32(const uint8_t* at) { return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24; }

const TextureColors DefaultColors = {Gray(160), Gray(240), Gray(255)};

TEST(TextureLayout, StrideIsPaddedToFourBytesAndSizesAreChecked)
{
    struct Case {
        int64_t width, height;
        bool ok;
        uint32_t stride, block;
    } cases[] = {
        {240, 60, true, 240, 15464},
        {1, 1, true, 4, 1068},
        {5, 2, true, 8, 1080},
        {8, 1, true, 8, 1072},
        {0, 60, false, 0, 0},
        {240, 0, false, 0, 0},
        {-240, 60, false, 0, 0},
        {240, -60, false, 0, 0},
        {0x7FFFFFFF, 0x7FFFFFFF, false, 0, 0},  // would need far more than 32 bits
        {0x100000000LL, 1, false, 0, 0},
    };
    for (const auto& c : cases) {
        TextureLayout layout = {};
        ASSERT_EQ(ComputeTextureLayout(c.width, c.height, &layout), c.ok) << c.width << "x" << c.height;
        if (!c.ok) continue;
        EXPECT_EQ(layout.stride, c.stride);
        EXPECT_EQ(layout.blockSize, c.block);
    }
}

TEST(TexturePalette, RunsFromShadowThroughFaceToHighlight)
{
    uint8_t table[1024] = {};
    BuildTexturePalette(DefaultColors, table);
    struct Case {
        int entry;
        uint8_t level;
    } cases[] = {{0, 160}, {64, 200}, {127, 239}, {128, 240}, {255, 255}};
    for (const Case& c : cases) {
        for (int channel = 0; channel < 3; ++channel) EXPECT_EQ(table[c.entry * 4 + channel], c.level) << c.entry;
        EXPECT_EQ(table[c.entry * 4 + 3], 0) << c.entry;
    }
}

TEST(TexturePalette, KeepsChannelsInRgbquadOrder)
{
    const TextureColors colors = {0x0000FF /* red */, 0x00FF00 /* green */, 0xFF0000 /* blue */};
    uint8_t table[1024] = {};
    BuildTexturePalette(colors, table);
    // Entry 0 is pure red: RGBQUAD stores blue, green, red.
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[1], 0);
    EXPECT_EQ(table[2], 255);
    // Entry 255 is pure blue.
    EXPECT_EQ(table[255 * 4 + 0], 255);
    EXPECT_EQ(table[255 * 4 + 1], 0);
    EXPECT_EQ(table[255 * 4 + 2], 0);
}

TEST(TextureBlock, SettingsWindowTextureStartsWithTheDocumentedPixels)
{
    TextureLayout layout;
    ASSERT_TRUE(ComputeTextureLayout(240, 60, &layout));
    std::vector<uint8_t> block(layout.blockSize, 0);
    BuildTextureBlock(block.data(), layout, 30, DefaultColors);

    EXPECT_EQ(Read32(&block[0]), 40u);
    EXPECT_EQ(Read32(&block[4]), 240u);
    EXPECT_EQ(Read32(&block[8]), 60u);
    EXPECT_EQ(block[12] | block[13] << 8, 1);
    EXPECT_EQ(block[14] | block[15] << 8, 8);
    EXPECT_EQ(Read32(&block[16]), 0u);
    EXPECT_EQ(Read32(&block[20]), 14400u);
    for (int i = 24; i < 40; ++i) EXPECT_EQ(block[i], 0) << "header byte " << i;

    const uint8_t* pixels = &block[40 + 1024];
    EXPECT_EQ(pixels[0], 117);
    EXPECT_EQ(pixels[1], 144);
    EXPECT_EQ(pixels[2], 120);
    uint8_t lowest = 255;
    uint8_t highest = 0;
    for (uint32_t i = 0; i < 14400; ++i) {
        lowest = std::min(lowest, pixels[i]);
        highest = std::max(highest, pixels[i]);
    }
    EXPECT_GE(lowest, 98);
    EXPECT_LE(highest, 158);

    std::vector<uint8_t> again(layout.blockSize, 0);
    BuildTextureBlock(again.data(), layout, 30, DefaultColors);
    EXPECT_EQ(block, again) << "the same arguments give the same texture";
}

TEST(TextureBlock, RowPaddingIsLeftZeroAndRowsFollowTheRandomSequence)
{
    TextureLayout layout;
    ASSERT_TRUE(ComputeTextureLayout(3, 2, &layout));
    ASSERT_EQ(layout.stride, 4u);
    std::vector<uint8_t> block(layout.blockSize, 0);
    BuildTextureBlock(block.data(), layout, 30, DefaultColors);
    const uint8_t* pixels = &block[40 + 1024];
    NoiseSequence noise = {TextureRandomSeed};
    for (int row = 0; row < 2; ++row) {
        for (int x = 0; x < 3; ++x) EXPECT_EQ(pixels[row * 4 + x], NextNoise(noise) / 546 + 98) << row << "," << x;
        EXPECT_EQ(pixels[row * 4 + 3], 0) << "padding of row " << row;
    }
}

TEST(TextureNoise, StrengthSetsTheSpreadAroundTheMiddle)
{
    struct Case {
        int32_t strength;
        uint8_t low, high;
    } cases[] = {
        {0, 128, 129}, {1, 127, 129}, {30, 98, 158}, {100, 28, 229}, {127, 1, 255},
    };
    for (const Case& c : cases) {
        TextureLayout layout;
        ASSERT_TRUE(ComputeTextureLayout(64, 64, &layout));
        std::vector<uint8_t> pixels(layout.stride * layout.height, 0);
        NoiseSequence noise = {TextureRandomSeed};
        FillTextureNoise(pixels.data(), layout, c.strength, noise);
        for (uint8_t p : pixels) {
            ASSERT_GE(p, c.low) << "strength " << c.strength;
            ASSERT_LE(p, c.high) << "strength " << c.strength;
        }
    }
}

}  // namespace
