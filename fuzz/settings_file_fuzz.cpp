// Quoting for the profile reader: what the reader gives back from the written text (one pair
// of enclosing quotes of one kind stripped) is the text as typed; a text that cannot be
// wrapped within its buffer is refused and left unchanged.
#include <cstring>
#include <string>

#include "fuzz/fuzz_input.h"
#include "settings/settings_file_core.h"

namespace {

using fuzz::Show;

size_t CapacityFrom(uint8_t b) { return b < 224 ? b : size_t(b - 223) * 128; }

std::string ReadBack(const std::string& written)
{
    size_t n = written.size();
    if (n >= 2 && written[0] == written[n - 1] && (written[0] == '"' || written[0] == '\''))
        return written.substr(1, n - 2);
    return written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    size_t capacity = CapacityFrom(in.Byte());
    std::string text = in.Text();
    if (capacity == 0 || text.size() >= capacity) return 0;  // the field always holds a text
    fuzz::Buffer buffer(capacity);
    std::memcpy(buffer.data(), text.c_str(), text.size() + 1);
    bool fit = QuoteForProfile(buffer.data(), capacity);
    std::string got = buffer.Text("QuoteForProfile");
    bool wraps = !text.empty() && (text[0] == '"' || text[0] == '\'') && text.back() == text[0];
    FUZZ_CHECK(fit == (!wraps || text.size() + 2 < capacity), "QuoteForProfile fit flag", Show(text));
    if (!fit) {
        FUZZ_CHECK(got == text, "a refused text was changed", Show(text));
        return 0;
    }
    FUZZ_CHECK(ReadBack(got) == text, "QuoteForProfile: does not read back as typed", Show(text) + " -> " + Show(got));
    FUZZ_CHECK(got == (wraps ? text.front() + text + text.back() : text), "QuoteForProfile wraps more than needed",
               Show(got));
    return 0;
}
