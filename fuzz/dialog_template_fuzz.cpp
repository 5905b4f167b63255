// The in-memory dialog template against an independent writer of the system's layout: a
// header, then each control on a 4-byte boundary, texts as NUL-terminated UTF-16. The builder
// gives exactly those bytes when they fit its block, 0 when they do not, and never writes past
// the block.
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "ui/dialog_template.h"

namespace {

struct Bytes {
    std::vector<uint8_t> b;
    void Add(const void* p, size_t n)
    {
        b.insert(b.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
    }
    template <typename T> void Put(T v) { Add(&v, sizeof v); }
    void Text(const std::string& s)
    {
        for (unsigned char c : s) Put<uint16_t>(c);
        Put<uint16_t>(0);
    }
    void Align()
    {
        while (b.size() % 4) b.push_back(0);
    }
};

std::vector<uint8_t> Reference(const DialogHeader& h, const std::vector<DialogControl>& controls)
{
    Bytes t;
    t.Put<uint32_t>(h.style);
    t.Put<uint32_t>(h.exStyle);
    t.Put<uint16_t>(uint16_t(controls.size()));
    t.Put<int16_t>(h.x);
    t.Put<int16_t>(h.y);
    t.Put<int16_t>(h.cx);
    t.Put<int16_t>(h.cy);
    t.Put<uint16_t>(0);
    t.Put<uint16_t>(0);
    t.Text(h.caption);
    t.Put<uint16_t>(h.pointSize);
    t.Text(h.font);
    for (const DialogControl& c : controls) {
        t.Align();
        t.Put<uint32_t>(c.style);
        t.Put<uint32_t>(0);
        t.Put<int16_t>(c.x);
        t.Put<int16_t>(c.y);
        t.Put<int16_t>(c.cx);
        t.Put<int16_t>(c.cy);
        t.Put<uint16_t>(c.id);
        if (c.classAtom) {
            t.Put<uint16_t>(0xFFFF);
            t.Put<uint16_t>(c.classAtom);
        } else {
            t.Text(c.className);
        }
        t.Text(c.text);
        t.Put<uint16_t>(0);
    }
    return t.b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    uint8_t sizing = in.Byte();
    DialogHeader header;
    header.style = in.Dword();
    header.exStyle = in.Dword();
    header.x = int16_t(in.Word());
    header.y = int16_t(in.Word());
    header.cx = int16_t(in.Word());
    header.cy = int16_t(in.Word());
    header.pointSize = in.Word();
    size_t count = in.Byte() % 8;
    std::string caption = in.Text(), font = in.Text();
    header.caption = caption.c_str();
    header.font = font.c_str();
    std::vector<DialogControl> controls(count);
    std::vector<std::string> texts(2 * count);
    for (size_t i = 0; i < count; ++i) {
        DialogControl& c = controls[i];
        c.style = in.Dword();
        c.x = int16_t(in.Word());
        c.y = int16_t(in.Word());
        c.cx = int16_t(in.Word());
        c.cy = int16_t(in.Word());
        c.id = in.Word();
        c.classAtom = in.Byte() & 1 ? uint16_t(0x80 + in.Byte() % 6) : 0;
        texts[2 * i] = in.Text();
        texts[2 * i + 1] = in.Text();
        c.className = texts[2 * i].c_str();
        c.text = texts[2 * i + 1].c_str();
    }

    std::vector<uint8_t> expected = Reference(header, controls);
    // Mostly a block around the exact size, so the last byte that fits is tried too.
    size_t capacity = sizing < 128 ? expected.size() + (sizing % 9) - 4 : size_t(sizing - 128) * 16;
    if (sizing < 128 && expected.size() + (sizing % 9) < 4) capacity = 0;
    fuzz::Buffer block(capacity);
    size_t used = BuildDialogTemplate(header, controls.data(), uint16_t(count), block.data(), capacity, WidenBytes);
    if (expected.size() > capacity) {
        FUZZ_CHECK(used == 0, "a template that does not fit is reported as built");
        return 0;
    }
    FUZZ_CHECK(used == expected.size(), "template size",
               std::to_string(used) + " expected " + std::to_string(expected.size()));
    FUZZ_CHECK(std::memcmp(block.data(), expected.data(), used) == 0, "template bytes");

    // The converter alone: all of the text and its terminator, or nothing.
    uint16_t words[64];
    size_t room = in.Byte() % 65;
    size_t written = WidenBytes(caption.c_str(), words, room);
    FUZZ_CHECK(written == (caption.size() + 1 <= room ? caption.size() + 1 : 0), "WidenBytes");
    return 0;
}
