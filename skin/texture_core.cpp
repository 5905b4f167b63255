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

int32_t LimitPercent(int32_t percent) { return percent < 0 ? 0 : percent > 100 ? 100 : percent; }

int32_t MoveTowards(int32_t value, int32_t target, int32_t percent)
{
    return (value * (100 - percent) + target * percent) / 100;
}

void WriteLittleEndian32(uint8_t* at, uint32_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
    at[2] = static_cast<uint8_t>(value >> 16);
    at[3] = static_cast<uint8_t>(value >> 24);
}

}  // namespace

void BuildTexturePalette(const TextureColors& colors, int32_t tintPercent, uint32_t tintColor, int32_t lighterPercent,
                         uint8_t* table, uint8_t* lighterTable)
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
    const bool tinted = (tintPercent & 0xFF) != 0;
    const bool lighter = (lighterPercent & 0xFF) != 0 && lighterTable != nullptr;
    const int32_t tint[3] = {static_cast<int32_t>(ColorRed(tintColor)), static_cast<int32_t>(ColorGreen(tintColor)),
                             static_cast<int32_t>(ColorBlue(tintColor))};
    const int32_t high[3] = {static_cast<int32_t>(ColorRed(colors.highlight)),
                             static_cast<int32_t>(ColorGreen(colors.highlight)),
                             static_cast<int32_t>(ColorBlue(colors.highlight))};
    for (int32_t i = 0; i < 256; ++i) {
        for (int32_t c = 0; c < 3; ++c) {
            int32_t value = channels[i][c];
            if (tinted) value = MoveTowards(value, tint[c], LimitPercent(tintPercent));
            // RGBQUAD order: blue, green, red, reserved.
            table[i * 4 + 2 - c] = static_cast<uint8_t>(value);
            if (lighter)
                lighterTable[i * 4 + 2 - c] =
                    static_cast<uint8_t>(MoveTowards(value, high[c], LimitPercent(lighterPercent)));
        }
        table[i * 4 + 3] = 0;
        if (lighter) lighterTable[i * 4 + 3] = 0;
    }
}

void FillTextureNoise(uint8_t* pixels, const TextureLayout& layout, int32_t strength)
{
    const int64_t spread = 2 * static_cast<int64_t>(strength);
    const int32_t step = static_cast<int32_t>(32767 / (spread > 1 ? spread : 1));
    const int32_t offset = 128 - (strength & 0xFF);
    for (uint32_t row = 0; row < layout.height; ++row) {
        uint8_t* line = pixels + static_cast<size_t>(row) * layout.stride;
        for (uint32_t x = 0; x < layout.width; ++x) line[x] = static_cast<uint8_t>(SkinRandom() / step + offset);
    }
}

void BuildTextureBlock(uint8_t* block, const TextureLayout& layout, int32_t strength, const TextureColors& colors,
                       int32_t tintPercent, uint32_t tintColor, int32_t lighterPercent, uint8_t* lighterTable)
{
    SetSkinRandomState(TextureRandomSeed);
    WriteLittleEndian32(block + 0, TextureHeaderSize);               // biSize
    WriteLittleEndian32(block + 4, layout.width);                    // biWidth
    WriteLittleEndian32(block + 8, layout.height);                   // biHeight: positive, rows bottom-up
    block[12] = 1;                                                   // biPlanes
    block[14] = 8;                                                   // biBitCount
    WriteLittleEndian32(block + 16, 0);                              // biCompression BI_RGB
    WriteLittleEndian32(block + 20, layout.stride * layout.height);  // biSizeImage
    BuildTexturePalette(colors, tintPercent, tintColor, lighterPercent, block + TextureHeaderSize, lighterTable);
    FillTextureNoise(block + TextureHeaderSize + TexturePaletteSize, layout, strength);
}
