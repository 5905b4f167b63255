// Bounded copy and append, the display cut, the search and the path helpers against plain
// std::string references: a result that claims to fit equals the reference, one that does
// not holds the reference's longest prefix, and no routine writes past its capacity.
#include <cstring>
#include <string>

#include "common/path.h"
#include "common/text.h"
#include "fuzz/fuzz_input.h"

namespace {

using fuzz::Buffer;
using fuzz::Show;

// Small capacities mostly, some up to a text buffer's size.
size_t CapacityFrom(uint8_t b) { return b < 224 ? b : size_t(b - 223) * 128; }

// A buffer holding `initial` (terminated when it fits, unterminated otherwise) and 'X' after it.
void Prefill(Buffer& buffer, const std::string& initial)
{
    std::memset(buffer.data(), 'X', buffer.capacity());
    size_t n = initial.size() < buffer.capacity() ? initial.size() : buffer.capacity();
    std::memcpy(buffer.data(), initial.data(), n);
    if (n < buffer.capacity()) buffer.data()[n] = '\0';
}

// The text fits as a whole or as its first capacity - 1 characters.
void ExpectBounded(const char* what, bool fit, Buffer& buffer, const std::string& whole)
{
    size_t room = buffer.capacity() - 1;
    bool shouldFit = whole.size() <= room;
    std::string got = buffer.Text(what);
    std::string expected = shouldFit ? whole : whole.substr(0, room);
    FUZZ_CHECK(fit == shouldFit, what, "fit flag differs for " + Show(whole));
    FUZZ_CHECK(got == expected, what, "got " + Show(got) + " expected " + Show(expected));
}

void CopyAndAppend(fuzz::Input& in)
{
    size_t capacity = CapacityFrom(in.Byte());
    size_t count = in.Byte();
    if (count >= 250) count = SIZE_MAX - (255 - count);  // "no limit" and its neighbours
    std::string initial = in.Text();
    std::string src = in.Text();
    std::string limited = src.substr(0, count < src.size() ? count : src.size());

    {
        Buffer b(capacity);
        bool fit = TextCopy(b.data(), capacity, src.c_str());
        if (capacity == 0)
            FUZZ_CHECK(!fit, "TextCopy into no room claims to fit");
        else
            ExpectBounded("TextCopy", fit, b, src);
    }
    {
        Buffer b(capacity);
        bool fit = TextCopyN(b.data(), capacity, src.c_str(), count);
        if (capacity == 0)
            FUZZ_CHECK(!fit, "TextCopyN into no room claims to fit");
        else
            ExpectBounded("TextCopyN", fit, b, limited);
    }
    for (int withLimit = 0; withLimit < 2; ++withLimit) {
        Buffer b(capacity);
        Prefill(b, initial);
        const std::string& added = withLimit ? limited : src;
        bool fit = withLimit ? TextAppendN(b.data(), capacity, src.c_str(), count)
                             : TextAppend(b.data(), capacity, src.c_str());
        if (capacity == 0) {
            FUZZ_CHECK(!fit, "TextAppend into no room claims to fit");
        } else if (initial.size() >= capacity) {
            // No terminator within the buffer: repaired, never read past.
            FUZZ_CHECK(!fit, "TextAppend onto an unterminated buffer claims to fit");
            FUZZ_CHECK(b.Text("TextAppend repair") == initial.substr(0, capacity - 1),
                       "TextAppend repair keeps the prefix");
        } else {
            ExpectBounded(withLimit ? "TextAppendN" : "TextAppend", fit, b, initial + added);
        }
    }
    if (capacity > 0) {
        Buffer b(capacity);
        bool fit = TextCopyForDisplay(b.data(), capacity, src.c_str());
        std::string got = b.Text("TextCopyForDisplay");
        std::string expected = fuzz::CutForDisplay(src, capacity);
        FUZZ_CHECK(fit == (src.size() < capacity), "TextCopyForDisplay fit flag");
        FUZZ_CHECK(got == expected, "TextCopyForDisplay", "got " + Show(got) + " expected " + Show(expected));
    }
    if (capacity > 0) {
        // An unterminated buffer is measured without reading past it.
        Buffer b(capacity);
        Prefill(b, initial);
        size_t expected = initial.size() < capacity ? initial.size() : capacity;
        FUZZ_CHECK(TextLengthWithin(b.data(), capacity) == expected, "TextLengthWithin");
    }
}

int32_t ReferenceFind(int32_t start, const std::string& text, const std::string& pattern)
{
    if (pattern.size() >= text.size()) return -1;
    if (start < 1 || size_t(start) - 1 > text.size() - pattern.size()) return -2;
    size_t at = text.find(pattern, size_t(start) - 1);
    return at == std::string::npos ? 0 : int32_t(at + 1);
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; }

void SearchAndCompare(fuzz::Input& in)
{
    uint8_t mode = in.Byte();
    int32_t start = (mode & 1) ? int32_t(in.Dword()) : int32_t(in.Byte()) - 4;
    std::string text = in.Text();
    std::string pattern = in.Text();
    int32_t got = FindText(start, text.c_str(), pattern.c_str());
    int32_t expected = ReferenceFind(start, text, pattern);
    FUZZ_CHECK(got == expected, "FindText",
               "start " + std::to_string(start) + " text " + Show(text) + " pattern " + Show(pattern) + " got " +
                   std::to_string(got) + " expected " + std::to_string(expected));

    FUZZ_CHECK(TextLength(text.c_str()) == text.size(), "TextLength");
    FUZZ_CHECK(TextEquals(text.c_str(), pattern.c_str()) == (text == pattern), "TextEquals");
    bool same = text.size() == pattern.size();
    for (size_t i = 0; same && i < text.size(); ++i) same = Upper(text[i]) == Upper(pattern[i]);
    FUZZ_CHECK(TextEqualsIgnoreCase(text.c_str(), pattern.c_str()) == same, "TextEqualsIgnoreCase");
    char last = char(mode >> 1);
    FUZZ_CHECK(TextEndsWith(text.c_str(), last) == (!text.empty() && text.back() == last), "TextEndsWith");

    // Overlapping moves behave like memmove.
    if (!text.empty()) {
        size_t from = in.Byte() % text.size();
        size_t to = in.Byte() % text.size();
        size_t count = in.Byte() % (text.size() - (from > to ? from : to) + 1);
        std::string moved = text, expectedMove = text;
        CopyBytes(moved.data() + from, moved.data() + to, count);
        std::memmove(expectedMove.data() + to, expectedMove.data() + from, count);
        FUZZ_CHECK(moved == expectedMove, "CopyBytes");
    }
}

void Paths(fuzz::Input& in)
{
    size_t capacity = CapacityFrom(in.Byte());
    std::string path = in.Text();
    size_t slash = path.rfind('\\');
    size_t offset = slash == std::string::npos ? 0 : slash + 1;
    FUZZ_CHECK(FileNameOffset(path.c_str()) == offset, "FileNameOffset", Show(path));
    Buffer b(capacity);
    bool fit = FolderOfPath(path.c_str(), b.data(), capacity);
    if (capacity == 0)
        FUZZ_CHECK(!fit, "FolderOfPath into no room claims to fit");
    else
        ExpectBounded("FolderOfPath", fit, b, path.substr(0, offset));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    fuzz::Input in(data + 1, size - 1);
    switch (data[0] % 3) {
    case 0: CopyAndAppend(in); break;
    case 1: SearchAndCompare(in); break;
    case 2: Paths(in); break;
    }
    return 0;
}
