// Reads a dialog template back from its bytes, independently of the builder, so tests can
// compare what the system will see with the window's layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct ReadControl {
    size_t offset = 0;  // where the record starts in the block
    uint32_t style = 0, exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    uint16_t id = 0;
    uint16_t classAtom = 0;  // 0 when the class is named
    std::string className;
    std::string text;
    uint16_t creationData = 0xFFFF;
};

struct ReadTemplate {
    uint32_t style = 0, exStyle = 0;
    uint16_t count = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    uint16_t menu = 0xFFFF, windowClass = 0xFFFF;
    std::string caption;
    uint16_t pointSize = 0;
    std::string font;
    std::vector<ReadControl> controls;
    size_t end = 0;  // the offset just after the last record
};

class TemplateReader {
public:
    TemplateReader(const unsigned char* bytes, size_t size) : bytes_(bytes), size_(size) {}

    ReadTemplate Read()
    {
        ReadTemplate t;
        t.style = Get<uint32_t>();
        t.exStyle = Get<uint32_t>();
        t.count = Get<uint16_t>();
        t.x = Get<int16_t>();
        t.y = Get<int16_t>();
        t.cx = Get<int16_t>();
        t.cy = Get<int16_t>();
        t.menu = Get<uint16_t>();
        t.windowClass = Get<uint16_t>();
        t.caption = GetString();
        t.pointSize = Get<uint16_t>();
        t.font = GetString();
        for (uint16_t i = 0; i < t.count && ok_; ++i) {
            at_ = (at_ + 3) & ~size_t(3);
            ReadControl c;
            c.offset = at_;
            c.style = Get<uint32_t>();
            c.exStyle = Get<uint32_t>();
            c.x = Get<int16_t>();
            c.y = Get<int16_t>();
            c.cx = Get<int16_t>();
            c.cy = Get<int16_t>();
            c.id = Get<uint16_t>();
            if (Peek() == 0xFFFF) {
                Get<uint16_t>();
                c.classAtom = Get<uint16_t>();
            } else {
                c.className = GetString();
            }
            c.text = GetString();
            c.creationData = Get<uint16_t>();
            t.controls.push_back(c);
        }
        t.end = at_;
        return t;
    }
    bool Ok() const { return ok_; }

private:
    template <typename T> T Get()
    {
        T value{};
        if (at_ + sizeof value > size_) {
            ok_ = false;
            return value;
        }
        std::memcpy(&value, bytes_ + at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    uint16_t Peek()
    {
        size_t keep = at_;
        uint16_t word = Get<uint16_t>();
        at_ = keep;
        return word;
    }
    std::string GetString()
    {
        std::string text;
        for (uint16_t word; ok_ && (word = Get<uint16_t>()) != 0;) text += word < 0x80 ? char(word) : '?';
        return text;
    }

    const unsigned char* bytes_;
    size_t size_;
    size_t at_ = 0;
    bool ok_ = true;
};
