#include "skin/texture_core.h"

#include "skin/colors.h"

bool ComputeTextureLayout(int64_t width, int64_t height, TextureLayout* layout)
{
    if (width <= 0 || height <= 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return false;
    const uint64_t stride = ((static_cast<uint64_t>(width) * 8 + 31) / 32) * 4;
    const uint64_t blockSize = TextureHeaderSize + TexturePaletteSize + stride * static_cast<uint64_t>(height);
    if (blockSize > 0xFFFFFFFFu) return false;
    layout->width = static_cast<uint32_t>(width);
    layout->height = static_cast<uint32_t>(height);
    layout->stride = static_cast<uint32_t>(stride);
    layout->blockSize = static_cast<uint32_t>(blockSize);
    return true;
}

namespace {

void WriteLittleEndian32(uint8_t* at, uint32_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
    at[2] = static_cast<uint8_t>(value >> 16);
    at[3] = static_cast<uint8_t>(value >> 24);
}

}  // namespace

void BuildTexturePalette(const TextureColors& colors, uint8_t* table)
{
    // Entries 0..128 from shadow to face, then 128..255 from face to highlight: the second run
    // overwrites entry 128 with its first step.
    int32_t channels[256][3];
    for (int32_t i = 0; i <= 128; ++i) {
        for (int32_t c = 0; c < 3; ++c) channels[i][c] = MixChannel128(i, colors.shadow, colors.face, c + 1);
    }
    for (int32_t i = 1; i <= 128; ++i) {
        for (int32_t c = 0; c < 3; ++c) channels[127 + i][c] = MixChannel128(i, colors.face, colors.highlight, c + 1);
    }
    for (int32_t i = 0; i < 256; ++i) {
        // RGBQUAD order: blue, green, red, reserved.
        for (int32_t c = 0; c < 3; ++c) table[i * 4 + 2 - c] = static_cast<uint8_t>(channels[i][c]);
        table[i * 4 + 3] = 0;
    }
}

void FillTextureNoise(uint8_t* pixels, const TextureLayout& layout, int32_t strength, NoiseSequence& noise)
{
    const int64_t spread = 2 * static_cast<int64_t>(strength);
    const int32_t step = static_cast<int32_t>(32767 / (spread > 1 ? spread : 1));
    const int32_t offset = 128 - (strength & 0xFF);
    for (uint32_t row = 0; row < layout.height; ++row) {
        uint8_t* line = pixels + static_cast<size_t>(row) * layout.stride;
        for (uint32_t x = 0; x < layout.width; ++x) line[x] = static_cast<uint8_t>(NextNoise(noise) / step + offset);
    }
}

void BuildTextureBlock(uint8_t* block, const TextureLayout& layout, int32_t strength, const TextureColors& colors)
{
    NoiseSequence noise = {TextureRandomSeed};
    WriteLittleEndian32(block + 0, TextureHeaderSize);               // biSize
    WriteLittleEndian32(block + 4, layout.width);                    // biWidth
    WriteLittleEndian32(block + 8, layout.height);                   // biHeight: positive, rows bottom-up
    block[12] = 1;                                                   // biPlanes
    block[14] = 8;                                                   // biBitCount
    WriteLittleEndian32(block + 16, 0);                              // biCompression BI_RGB
    WriteLittleEndian32(block + 20, layout.stride * layout.height);  // biSizeImage
    BuildTexturePalette(colors, block + TextureHeaderSize);
    FillTextureNoise(block + TextureHeaderSize + TexturePaletteSize, layout, strength, noise);
}
