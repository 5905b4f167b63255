// The settings file's text: any bytes decode and encode back unchanged; a change reads back
// as the reader gives a value written that way, leaves another key's value alone, and a
// read never runs past its buffer. The code page is ISO 8859-1 (lossy above U+00FF).
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "settings/ini_text_core.h"
#include "tests/settings/latin1_code_page.h"

namespace {

using fuzz::Show;

struct Doc {
    std::vector<IniUnit> Units;
    IniDocument D{};
    explicit Doc(const std::string& bytes, size_t room = 0)
    {
        Units.resize(IniDecodedCapacity(bytes.size()) + room);
        D.Text = Units.data();
        D.Capacity = Units.size();
        FUZZ_CHECK(DecodeIniFile(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), Latin1, D),
                   "DecodeIniFile refused its capacity", Show(bytes));
    }
    std::string Encode()
    {
        std::string bytes(IniEncodedCapacity(D), '\0');
        size_t n = EncodeIniFile(D, Latin1, reinterpret_cast<unsigned char*>(bytes.data()), bytes.size());
        FUZZ_CHECK(n <= bytes.size(), "EncodeIniFile refused its capacity");
        bytes.resize(n);
        return bytes;
    }
};

std::string Read(const IniDocument& document, const std::string& section, const std::string& key, IniRead* read,
                 size_t capacity)
{
    fuzz::Buffer text(capacity);
    *read = ReadIniValue(document, section.c_str(), key.c_str(), text.data(), capacity);
    if (capacity == 0) return std::string();
    return text.Text("ReadIniValue");
}

bool IsValidUtf8(const std::string& text)
{
    for (size_t i = 0; i < text.size();) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        size_t length = b < 0x80                 ? 1
                        : b >= 0xC2 && b <= 0xDF ? 2
                        : b >= 0xE0 && b <= 0xEF ? 3
                        : b >= 0xF0 && b <= 0xF4 ? 4
                                                 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        unsigned char c = static_cast<unsigned char>(text[i + 1 < text.size() ? i + 1 : i]);
        if ((b == 0xE0 && c < 0xA0) || (b == 0xED && c >= 0xA0) || (b == 0xF0 && c < 0x90) || (b == 0xF4 && c >= 0x90))
            return false;
        i += length;
    }
    return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v'; }

// What the reader gives for value written after '=': blanks dropped, one pair of quotes.
std::string AsRead(std::string value)
{
    while (!value.empty() && IsBlank(value.back())) value.pop_back();
    size_t begin = 0;
    while (begin < value.size() && IsBlank(value[begin])) ++begin;
    value = value.substr(begin);
    if (value.size() >= 2 && value.front() == value.back() && (value[0] == '"' || value[0] == '\''))
        value = value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    size_t capacity = in.Byte() * 32;
    std::string file = in.Text();
    std::string section = in.Text(), key = in.Text(), value = in.Text();
    // The file's own start lets seeds begin with a byte-order mark.
    Doc doc(file);
    FUZZ_CHECK(doc.Encode() == file, "a file does not encode back as read", Show(file));

    IniRead read;
    Read(doc.D, section, key, &read, capacity);
    std::string other = key + "~";
    IniRead otherBefore;
    std::string otherValue = Read(doc.D, section, other, &otherBefore, 20000);

    Doc changed(file, IniSetRoom(section.c_str(), key.c_str(), value.c_str()));
    IniSet result = SetIniValue(changed.D, section.c_str(), key.c_str(), value.c_str());
    FUZZ_CHECK(result != IniSet::NoRoom, "SetIniValue wants more than IniSetRoom");
    if (result != IniSet::Done) return 0;
    std::string written = changed.Encode();
    Doc reread(written);
    // Text now all ASCII (after a UTF-8 mark, if any) reads the same as UTF-8 or code page.
    bool ascii = changed.D.Encoding == IniEncoding::Utf8 || changed.D.Encoding == IniEncoding::Ansi;
    for (size_t i = changed.D.Mark ? 3 : 0; i < written.size(); ++i)
        ascii = ascii && static_cast<unsigned char>(written[i]) < 0x80;
    FUZZ_CHECK(reread.D.Encoding == changed.D.Encoding || ascii, "the written file reads as another encoding",
               Show(file) + " -> " + Show(written));
    std::string got = Read(reread.D, section, key, &read, 20000);
    FUZZ_CHECK(read.Found, "a written key is not found", Show(written));
    if (IsValidUtf8(value) && value.size() < IniValueLimit)
        FUZZ_CHECK(got == AsRead(value) && !read.Cut, "a written value reads back otherwise",
                   Show(value) + " -> " + Show(got) + " in " + Show(written));
    IniRead otherAfter;
    std::string otherNow = Read(reread.D, section, other, &otherAfter, 20000);
    FUZZ_CHECK(otherNow == otherValue && otherAfter.Found == otherBefore.Found && otherAfter.Cut == otherBefore.Cut,
               "another key changed", Show(written));
    return 0;
}
