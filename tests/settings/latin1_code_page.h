// ISO 8859-1 as the settings text's code page, for its tests and fuzzer: one byte is one unit,
// and a character above U+00FF is the lossy case, written as '?' as a code page writes it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "settings/ini_text_core.h"

inline size_t DecodeLatin1(const unsigned char* bytes, size_t count, IniUnit* units, void*)
{
    for (size_t i = 0; i < count; ++i) units[i] = bytes[i];
    return count;
}

inline size_t EncodeLatin1(const IniUnit* units, size_t count, unsigned char* bytes, size_t capacity, bool* lossy,
                           void*)
{
    if (count > capacity) return SIZE_MAX;
    for (size_t i = 0; i < count; ++i) {
        if (units[i] > 0xFF) *lossy = true;
        bytes[i] = static_cast<unsigned char>(units[i] > 0xFF ? '?' : units[i]);
    }
    return count;
}

inline const IniCodePage Latin1{DecodeLatin1, EncodeLatin1, nullptr};
