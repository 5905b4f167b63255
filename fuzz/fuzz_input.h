// Turns a fuzzer's bytes into the texts and numbers a target needs.
//
// The bytes split at NUL into fields. Inside a field, the byte 0x01 followed by a byte c and a
// count byte n stands for c repeated (n + 1) * 16 times, so a short input can still reach the
// 4095-character limits; a lone 0x01 at a field's end is kept as it is. Repeats add nothing
// once a text holds InflatedLimit characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sanitizer/asan_interface.h>

namespace fuzz {

constexpr unsigned char RepeatMarker = 0x01;

// Texts stop growing here: past every limit of the product, short of slowing the runs.
constexpr size_t InflatedLimit = 16384;

inline std::string Inflate(const unsigned char* bytes, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        if (bytes[i] == RepeatMarker && i + 2 < count) {
            size_t repeat = (size_t(bytes[i + 2]) + 1) * 16;
            if (text.size() + repeat > InflatedLimit)
                repeat = text.size() < InflatedLimit ? InflatedLimit - text.size() : 0;
            text.append(repeat, char(bytes[i + 1]));
            i += 2;
        } else {
            text.push_back(char(bytes[i]));
        }
    }
    return text;
}

// Reads numbers from the front and texts from the rest.
class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t Byte()
    {
        if (at_ >= size_) return 0;
        return data_[at_++];
    }
    uint16_t Word() { return uint16_t(Byte() | (Byte() << 8)); }
    uint32_t Dword() { return uint32_t(Word()) | (uint32_t(Word()) << 16); }

    // The next NUL-separated field, inflated; empty once the bytes are used up.
    std::string Text()
    {
        size_t start = at_;
        while (at_ < size_ && data_[at_] != 0) ++at_;
        std::string text = Inflate(data_ + start, at_ - start);
        if (at_ < size_) ++at_;  // the NUL
        return text;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// A failed property: print what differs and abort, so libFuzzer keeps the input.
[[noreturn]] inline void Fail(const char* what, const std::string& detail = std::string())
{
    std::fprintf(stderr, "property failed: %s\n%s\n", what, detail.c_str());
    std::abort();
}

// Checks a property; the detail (any std::string expression) is formed only when it failed.
#define FUZZ_CHECK(condition, what, ...)                                  \
    do {                                                                  \
        if (!(condition)) ::fuzz::Fail(what, ::std::string(__VA_ARGS__)); \
    } while (0)

// Quotes a text for the failure report, control bytes as \xNN, long runs shortened.
inline std::string Show(const std::string& text)
{
    std::string shown = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        if (i == 200 && text.size() > 240) {
            shown += "...(" + std::to_string(text.size()) + " chars)...";
            i = text.size() - 40;
        }
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 32 || c >= 127 || c == '"' || c == '\\') {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            shown += hex;
        } else {
            shown += char(c);
        }
    }
    return shown + "\"";
}

// A buffer of exactly capacity bytes with poisoned bytes after it, so the address sanitizer
// sees any access past it, also into a buffer of no bytes (which the allocator rounds up).
class Buffer {
public:
    explicit Buffer(size_t capacity) : capacity_(capacity), bytes_(new char[capacity + Guard])
    {
        ASAN_POISON_MEMORY_REGION(bytes_ + capacity_, Guard);
    }
    ~Buffer()
    {
        ASAN_UNPOISON_MEMORY_REGION(bytes_ + capacity_, Guard);
        delete[] bytes_;
    }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;

    char* data() { return bytes_; }
    size_t capacity() const { return capacity_; }
    // The text up to the terminator, which must lie within the buffer.
    std::string Text(const char* what) const
    {
        for (size_t i = 0; i < capacity_; ++i)
            if (bytes_[i] == '\0') return std::string(bytes_, i);
        Fail(what, "no terminator within the buffer");
    }

private:
    static constexpr size_t Guard = 16;
    size_t capacity_;
    char* bytes_;
};

// A display cut's expected text: whole when it fits capacity, else its first capacity - 1 bytes
// with "..." over the last three, moved back (by at most three bytes) to where a UTF-8
// character begins.
inline std::string CutForDisplay(const std::string& text, size_t capacity)
{
    if (text.size() < capacity) return text;
    std::string shown = text.substr(0, capacity - 1);
    if (capacity < 4) return shown;
    size_t at = capacity - 4;
    for (int back = 0; back < 3 && at > 0 && (static_cast<unsigned char>(shown[at]) & 0xC0) == 0x80; ++back) --at;
    return shown.substr(0, at) + "...";
}

// UTF-16 units of a UTF-8 text, the well-formed sequences as the Unicode standard's table of
// them says (two units for four bytes), one unit for each byte of anything else.
inline size_t Utf16Units(const std::string& text)
{
    auto byte = [&](size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u; };
    auto in = [](unsigned b, unsigned low, unsigned high) { return b >= low && b <= high; };
    size_t units = 0;
    for (size_t i = 0; i < text.size();) {
        unsigned b0 = byte(i), b1 = byte(i + 1), b2 = byte(i + 2), b3 = byte(i + 3);
        size_t length = 0;
        if (b0 < 0x80) {
            length = 1;
        } else if (in(b0, 0xC2, 0xDF) && in(b1, 0x80, 0xBF)) {
            length = 2;
        } else if ((b0 == 0xE0 && in(b1, 0xA0, 0xBF)) || (in(b0, 0xE1, 0xEC) && in(b1, 0x80, 0xBF)) ||
                   (b0 == 0xED && in(b1, 0x80, 0x9F)) || (in(b0, 0xEE, 0xEF) && in(b1, 0x80, 0xBF))) {
            length = in(b2, 0x80, 0xBF) ? 3 : 0;
        } else if ((b0 == 0xF0 && in(b1, 0x90, 0xBF)) || (in(b0, 0xF1, 0xF3) && in(b1, 0x80, 0xBF)) ||
                   (b0 == 0xF4 && in(b1, 0x80, 0x8F))) {
            length = in(b2, 0x80, 0xBF) && in(b3, 0x80, 0xBF) ? 4 : 0;
        }
        units += length == 4 ? 2 : 1;
        i += length ? length : 1;
    }
    return units;
}

}  // namespace fuzz
