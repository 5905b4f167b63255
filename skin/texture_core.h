// The background texture's pixels and palette, laid out as a packed 8-bit device-independent
// bitmap: a 40-byte BITMAPINFOHEADER, 256 RGBQUAD entries, then the rows bottom-up.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t TextureHeaderSize = 40;
constexpr uint32_t TexturePaletteSize = 256 * 4;
// The generator reseeds the random numbers with this, so equal arguments give equal textures.
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
// highlight, tinted when tintPercent's low byte is non-zero. When lighterTable is given, it
// receives the same entries moved lighterPercent towards highlight. Percentages are limited to
// 0..100 so that no channel leaves 0..255.
void BuildTexturePalette(const TextureColors& colors, int32_t tintPercent, uint32_t tintColor, int32_t lighterPercent,
                         uint8_t* table, uint8_t* lighterTable);

// Fills the rows of pixels with uniform noise of the given strength around the palette's middle,
// drawing SkinRandom in memory order; row padding is left as it is.
void FillTextureNoise(uint8_t* pixels, const TextureLayout& layout, int32_t strength);

// Writes the whole block (header, palette, pixels) for style 2; block holds layout.blockSize
// zero-filled bytes. Reseeds SkinRandom first.
void BuildTextureBlock(uint8_t* block, const TextureLayout& layout, int32_t strength, const TextureColors& colors,
                       int32_t tintPercent, uint32_t tintColor, int32_t lighterPercent, uint8_t* lighterTable);
