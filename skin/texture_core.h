// The background texture's pixels and palette, laid out as a packed 8-bit device-independent
// bitmap: a 40-byte BITMAPINFOHEADER, 256 RGBQUAD entries, then the rows bottom-up.
#pragma once

#include <cstddef>
#include <cstdint>

#include "skin/colors.h"

constexpr uint32_t TextureHeaderSize = 40;
constexpr uint32_t TexturePaletteSize = 256 * 4;
// Every texture's noise sequence starts from this seed, so equal arguments give equal textures.
constexpr uint32_t TextureRandomSeed = 214013;

struct TextureLayout {
    uint32_t width;
    uint32_t height;
    uint32_t stride;     // bytes per row, a multiple of 4
    uint32_t blockSize;  // header + palette + stride × height
};

// The layout of a width × height texture; false when either is not positive or the block would
// not fit in 32 bits.
bool ComputeTextureLayout(int64_t width, int64_t height, TextureLayout* layout);

struct TextureColors {
    uint32_t shadow;     // COLOR_BTNSHADOW
    uint32_t face;       // COLOR_BTNFACE
    uint32_t highlight;  // COLOR_BTNHIGHLIGHT
};

// Writes the 256 RGBQUAD entries (blue, green, red, 0) running from shadow through face to
// highlight.
void BuildTexturePalette(const TextureColors& colors, uint8_t* table);

// Fills the rows of pixels with uniform noise of the given strength around the palette's middle,
// drawing from noise in memory order; row padding is left as it is.
void FillTextureNoise(uint8_t* pixels, const TextureLayout& layout, int32_t strength, NoiseSequence& noise);

// Writes the whole block (header, palette, pixels); block holds layout.blockSize zero-filled
// bytes. The noise is a sequence of its own, seeded with TextureRandomSeed.
void BuildTextureBlock(uint8_t* block, const TextureLayout& layout, int32_t strength, const TextureColors& colors);
