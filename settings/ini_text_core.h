// The settings file's text without platform calls: its encoding, its sections, keys and values
// found as the platform's profile functions find them, and changes written as they write them.
//
// A document is the whole file decoded once to UTF-16 (any alphabet, every line kept as it
// was), read many times and changed many times, then encoded once in the file's encoding.
// Names and values go in and out as UTF-8, the program's own text. The caller owns the
// memory: the document's text buffer and the encoded bytes live in buffers it hands in.
//
// The rules, as the profile functions apply them on Windows:
// - A line ends at CR, LF or CR LF. Blanks are space, tab and vertical tab.
// - A line whose first non-blank is '[' opens a section; its name runs to the first ']' or the
//   line's end, blanks around it dropped. Text after the ']' is ignored.
// - A line whose first non-blank is ';' is a comment. A line without '=' holds no key, and so
//   does every line before the first section.
// - Otherwise the key's name is the text before the first '=', the value the text after it,
//   blanks around both dropped; then a value of two or more characters that begins and ends
//   with the same quote (" or ') loses that one pair.
// - Section and key names match whatever their letter case (ASCII, Latin-1, Greek and
//   Cyrillic letters); the first matching section counts, and in it the first matching key.
// - A value is read up to IniValueLimit UTF-16 units (the profile functions' 4096-unit
//   buffer less its terminator); a longer one is cut there and reported cut. A NUL ends it.
// - A change replaces the first matching key's line with "name=value" (the file's spelling of
//   the name, the line's own line end), or adds "key=value" after the section's last
//   non-blank line, or adds "[section]" and the key at the end of the file; every other line
//   stays as it was. New lines end in CR LF.
#pragma once

#include <cstddef>
#include <cstdint>

// One UTF-16 unit on every platform (wchar_t is 32 bits outside Windows).
using IniUnit = char16_t;

// The longest value the profile functions give back into a 4096-unit buffer.
constexpr size_t IniValueLimit = 4095;

enum class IniEncoding : uint8_t { Ansi, Utf8, Utf16Le, Utf16Be };

// The system code page, supplied by the caller (the code page is the platform's).
struct IniCodePage {
    // Decodes count bytes into at most count units (every code page needs at most one unit a
    // byte); returns the units written.
    size_t (*Decode)(const unsigned char* bytes, size_t count, IniUnit* units, void* context);
    // Encodes count units into at most capacity bytes; returns the bytes written, or
    // SIZE_MAX when they did not fit. Sets *lossy when a character has no exact form.
    size_t (*Encode)(const IniUnit* units, size_t count, unsigned char* bytes, size_t capacity, bool* lossy,
                     void* context);
    void* Context;
};

struct IniDocument {
    IniUnit* Text;  // the caller's buffer: Capacity units, Length of them in use
    size_t Length;
    size_t Capacity;
    IniEncoding Encoding;
    // The file began with its encoding's byte-order mark (for Ansi: with a UTF-8 mark ahead
    // of text that is not UTF-8). Written back as found.
    bool Mark;
    // An odd-length UTF-16 file's last byte, written back as found.
    bool HasOddByte;
    unsigned char OddByte;
};

// UTF-16 LE or BE with a byte-order mark, UTF-8 with a mark, UTF-8 without one (valid UTF-8
// holding a byte of 0x80 or above), otherwise the code page.
IniEncoding DetectIniEncoding(const unsigned char* bytes, size_t size, bool* mark);

// Units a document's buffer needs to decode a file of size bytes.
constexpr size_t IniDecodedCapacity(size_t size) { return size + 1; }
// Decodes the file's bytes into document.Text (Capacity at least IniDecodedCapacity(size)),
// filling in the encoding. False, with an empty document, when the buffer is too small.
bool DecodeIniFile(const unsigned char* bytes, size_t size, const IniCodePage& codePage, IniDocument& document);

struct IniRead {
    bool Found;  // false: no such section or key; the text is empty and the caller's default holds
    bool Cut;    // the value was longer than IniValueLimit units or than the buffer: never act on it
};
// Reads a value as UTF-8 into text (always terminated within capacity). A cut never splits a
// character; an unpaired surrogate reads as U+FFFD.
IniRead ReadIniValue(const IniDocument& document, const char* section, const char* key, char* text, size_t capacity);
template <size_t N>
IniRead ReadIniValue(const IniDocument& document, const char* section, const char* key, char (&text)[N])
{
    return ReadIniValue(document, section, key, text, N);
}

// Each key line of a section (the first matching one) in file order, its name and its value
// (blanks around them dropped, quotes kept) as UTF-8, each cut at 512 bytes.
// visit returns false to stop.
using IniKeyVisitor = bool (*)(void* context, const char* name, const char* value);
void ForEachIniKey(const IniDocument& document, const char* section, IniKeyVisitor visit, void* context);

enum class IniSet : uint8_t {
    Done,
    NoRoom,   // the document needs Length + IniSetRoom(...) units: grow its buffer, then repeat
    Refused,  // a line break in a name or the value, or a name the reader could never find again
};
size_t IniSetRoom(const char* section, const char* key, const char* value);
// Sets section's key to value (UTF-8; an invalid sequence is written as U+FFFD) as the
// platform's WritePrivateProfileString would.
IniSet SetIniValue(IniDocument& document, const char* section, const char* key, const char* value);

// Bytes the encoded file may need, whatever its encoding becomes.
// (A code page may take four bytes a unit: GB18030.)
constexpr size_t IniEncodedCapacity(const IniDocument& document) { return document.Length * 4 + 4; }
// Encodes the document in its encoding: an Ansi document whose text the code page cannot hold
// exactly, or whose bytes would read back as UTF-8, becomes UTF-16 LE with a byte-order mark
// (the document's encoding changes to say so). Returns the bytes written, or SIZE_MAX when capacity is below IniEncodedCapacity.
size_t EncodeIniFile(IniDocument& document, const IniCodePage& codePage, unsigned char* bytes, size_t capacity);
