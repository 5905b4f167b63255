#include "settings/ini_text_core.h"

#include <cstdint>

#include "common/text.h"

namespace {

constexpr IniUnit Cr = 0x0D;
constexpr IniUnit Lf = 0x0A;
constexpr char32_t Replacement = 0xFFFD;
// Names the program asks for are short; a longer one is never found and never written.
constexpr size_t NameLimit = 512;

bool IsBlank(IniUnit c) { return c == ' ' || c == '\t' || c == '\v'; }
bool IsLineEnd(IniUnit c) { return c == Cr || c == Lf; }
bool IsHighSurrogate(IniUnit c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(IniUnit c) { return c >= 0xDC00 && c <= 0xDFFF; }

// ---- UTF-8 ----

// True when bytes are valid UTF-8; *high tells whether a byte of 0x80 or above occurs.
bool IsUtf8(const unsigned char* bytes, size_t size, bool* high)
{
    *high = false;
    for (size_t i = 0; i < size;) {
        char32_t code;
        size_t length = Utf8Sequence(bytes + i, size - i, &code);
        if (length == 0) return false;
        if (length > 1) *high = true;
        i += length;
    }
    return true;
}

size_t PutUnits(char32_t code, IniUnit* out)
{
    if (code < 0x10000) {
        out[0] = IniUnit(code);
        return 1;
    }
    code -= 0x10000;
    out[0] = IniUnit(0xD800 + (code >> 10));
    out[1] = IniUnit(0xDC00 + (code & 0x3FF));
    return 2;
}

// Decodes UTF-8 into units (never more units than bytes); an invalid byte becomes U+FFFD.
size_t DecodeUtf8(const unsigned char* bytes, size_t size, IniUnit* out)
{
    size_t n = 0;
    for (size_t i = 0; i < size;) {
        char32_t code;
        size_t length = Utf8Sequence(bytes + i, size - i, &code);
        if (length == 0) {
            code = Replacement;
            length = 1;
        }
        n += PutUnits(code, out + n);
        i += length;
    }
    return n;
}

// The code point at units[i] (an unpaired surrogate reads as U+FFFD); *used receives its units.
char32_t CodeAt(const IniUnit* units, size_t count, size_t i, size_t* used)
{
    IniUnit c = units[i];
    *used = 1;
    if (IsHighSurrogate(c) && i + 1 < count && IsLowSurrogate(units[i + 1])) {
        *used = 2;
        return 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(units[i + 1]) - 0xDC00);
    }
    if (IsHighSurrogate(c) || IsLowSurrogate(c)) return Replacement;
    return c;
}

size_t Utf8Length(char32_t code) { return code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4; }

void PutUtf8(char32_t code, unsigned char* out)
{
    size_t length = Utf8Length(code);
    if (length == 1) {
        out[0] = static_cast<unsigned char>(code);
        return;
    }
    static const unsigned char Lead[5] = {0, 0, 0xC0, 0xE0, 0xF0};
    for (size_t i = length - 1; i > 0; --i) {
        out[i] = static_cast<unsigned char>(0x80 | (code & 0x3F));
        code >>= 6;
    }
    out[0] = static_cast<unsigned char>(Lead[length] | code);
}

// Encodes units as UTF-8 into at most capacity bytes; false when they did not all fit (what
// fit is written, whole characters only). *written receives the bytes written.
bool EncodeUtf8(const IniUnit* units, size_t count, unsigned char* out, size_t capacity, size_t* written)
{
    size_t n = 0;
    for (size_t i = 0; i < count;) {
        size_t used;
        char32_t code = CodeAt(units, count, i, &used);
        size_t length = Utf8Length(code);
        if (n + length > capacity) {
            *written = n;
            return false;
        }
        PutUtf8(code, out + n);
        n += length;
        i += used;
    }
    *written = n;
    return true;
}

// A name as the profile functions take it: UTF-8 decoded, spaces around it dropped. False when
// it is longer than NameLimit units.
struct Name {
    IniUnit Units[NameLimit];
    size_t Length;
};
bool ToName(const char* text, Name& name)
{
    size_t size = TextLength(text);
    size_t begin = 0;
    while (begin < size && text[begin] == ' ') ++begin;
    while (size > begin && text[size - 1] == ' ') --size;
    if (size - begin > NameLimit) return false;
    name.Length = DecodeUtf8(reinterpret_cast<const unsigned char*>(text) + begin, size - begin, name.Units);
    return true;
}

// Letter case folded for the alphabets settings are written in; other characters as they are.
IniUnit Fold(IniUnit c)
{
    if (c >= 'a' && c <= 'z') return IniUnit(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return IniUnit(c - 0x20);
    if (c == 0x3C2) return 0x3A3;  // final sigma
    if (c >= 0x3B1 && c <= 0x3CB) return IniUnit(c - 0x20);
    if (c >= 0x430 && c <= 0x44F) return IniUnit(c - 0x20);
    if (c >= 0x450 && c <= 0x45F) return IniUnit(c - 0x50);
    return c;
}

bool NameEquals(const IniUnit* text, size_t begin, size_t end, const Name& name)
{
    if (end - begin != name.Length) return false;
    for (size_t i = 0; i < name.Length; ++i)
        if (Fold(text[begin + i]) != Fold(name.Units[i])) return false;
    return true;
}

// ---- Lines ----

struct Line {
    size_t Start;
    size_t End;   // of its text, before the line end
    size_t Next;  // after the line end
};

Line LineAt(const IniUnit* text, size_t length, size_t start)
{
    Line line{start, start, start};
    while (line.End < length && !IsLineEnd(text[line.End])) ++line.End;
    line.Next = line.End;
    if (line.Next < length && text[line.Next] == Cr) ++line.Next;
    if (line.Next < length && text[line.Next] == Lf && (line.Next == line.End || text[line.Next - 1] == Cr))
        ++line.Next;
    return line;
}

enum class Kind { Blank, Section, Comment, Key, Other };

struct Parsed {
    Kind Type;
    size_t NameBegin, NameEnd;    // section or key name
    size_t ValueBegin, ValueEnd;  // key value, blanks dropped, quotes kept
};

Parsed Parse(const IniUnit* text, const Line& line)
{
    Parsed p{Kind::Blank, 0, 0, 0, 0};
    size_t i = line.Start;
    while (i < line.End && IsBlank(text[i])) ++i;
    if (i == line.End) return p;
    if (text[i] == '[') {
        p.Type = Kind::Section;
        p.NameBegin = i + 1;
        p.NameEnd = p.NameBegin;
        while (p.NameEnd < line.End && text[p.NameEnd] != ']') ++p.NameEnd;
    } else if (text[i] == ';') {
        p.Type = Kind::Comment;
        return p;
    } else {
        size_t equals = i;
        while (equals < line.End && text[equals] != '=') ++equals;
        if (equals == line.End) {
            p.Type = Kind::Other;
            return p;
        }
        p.Type = Kind::Key;
        p.NameBegin = i;
        p.NameEnd = equals;
        p.ValueBegin = equals + 1;
        p.ValueEnd = line.End;
        while (p.ValueBegin < p.ValueEnd && IsBlank(text[p.ValueBegin])) ++p.ValueBegin;
        while (p.ValueEnd > p.ValueBegin && IsBlank(text[p.ValueEnd - 1])) --p.ValueEnd;
    }
    while (p.NameBegin < p.NameEnd && IsBlank(text[p.NameBegin])) ++p.NameBegin;
    while (p.NameEnd > p.NameBegin && IsBlank(text[p.NameEnd - 1])) --p.NameEnd;
    return p;
}

// Where a key stands, or where it would be added.
struct Spot {
    bool SectionFound;
    bool KeyFound;
    Line KeyLine;
    Parsed Key;
    Line LastLine;  // the section's last non-blank line (its header at least)
};

Spot Find(const IniDocument& document, const Name& section, const Name& key)
{
    Spot spot{};
    const IniUnit* text = document.Text;
    bool inSection = false;
    for (size_t at = 0; at < document.Length;) {
        Line line = LineAt(text, document.Length, at);
        at = line.Next;
        Parsed parsed = Parse(text, line);
        if (parsed.Type == Kind::Section) {
            if (inSection) break;  // only the first matching section counts
            if (NameEquals(text, parsed.NameBegin, parsed.NameEnd, section)) {
                inSection = true;
                spot.SectionFound = true;
                spot.LastLine = line;
            }
            continue;
        }
        if (!inSection) continue;
        if (parsed.Type != Kind::Blank) spot.LastLine = line;
        if (parsed.Type == Kind::Key && NameEquals(text, parsed.NameBegin, parsed.NameEnd, key)) {
            spot.KeyFound = true;
            spot.KeyLine = line;
            spot.Key = parsed;
            break;
        }
    }
    return spot;
}

// ---- Changing the text ----

// Moves the text from position from on so it starts at to (the buffer has the room).
void Shift(IniDocument& document, size_t from, size_t to)
{
    size_t count = document.Length - from;
    IniUnit* text = document.Text;
    if (to > from)
        for (size_t i = count; i > 0; --i) text[to + i - 1] = text[from + i - 1];
    else
        for (size_t i = 0; i < count; ++i) text[to + i] = text[from + i];
    document.Length = document.Length - from + to;
}

// Writes units at position at, making room first.
void Insert(IniDocument& document, size_t at, const IniUnit* units, size_t count)
{
    Shift(document, at, at + count);
    for (size_t i = 0; i < count; ++i) document.Text[at + i] = units[i];
}

bool HasAny(const IniUnit* units, size_t count, const char* set)
{
    for (size_t i = 0; i < count; ++i)
        for (const char* c = set; *c; ++c)
            if (units[i] == IniUnit(static_cast<unsigned char>(*c))) return true;
    return false;
}

bool HasLineBreakOrNul(const IniUnit* units, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (units[i] == Cr || units[i] == Lf || units[i] == 0) return true;
    return false;
}

bool EdgesBlank(const Name& name)
{
    return name.Length > 0 && (IsBlank(name.Units[0]) || IsBlank(name.Units[name.Length - 1]));
}

}  // namespace

IniEncoding DetectIniEncoding(const unsigned char* bytes, size_t size, bool* mark)
{
    *mark = true;
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return IniEncoding::Utf16Le;
    if (size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) return IniEncoding::Utf16Be;
    bool high;
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        return IsUtf8(bytes + 3, size - 3, &high) ? IniEncoding::Utf8 : IniEncoding::Ansi;
    *mark = false;
    return IsUtf8(bytes, size, &high) && high ? IniEncoding::Utf8 : IniEncoding::Ansi;
}

bool DecodeIniFile(const unsigned char* bytes, size_t size, const IniCodePage& codePage, IniDocument& document)
{
    document.Length = 0;
    document.HasOddByte = false;
    document.OddByte = 0;
    document.Encoding = DetectIniEncoding(bytes, size, &document.Mark);
    if (document.Capacity < IniDecodedCapacity(size)) {
        document.Encoding = IniEncoding::Ansi;
        document.Mark = false;
        return false;
    }
    IniUnit* out = document.Text;
    if (document.Encoding == IniEncoding::Utf16Le || document.Encoding == IniEncoding::Utf16Be) {
        bool little = document.Encoding == IniEncoding::Utf16Le;
        size_t count = (size - 2) / 2;
        for (size_t i = 0; i < count; ++i) {
            unsigned char a = bytes[2 + 2 * i], b = bytes[3 + 2 * i];
            out[i] = little ? IniUnit(a | (b << 8)) : IniUnit((a << 8) | b);
        }
        document.Length = count;
        if ((size - 2) % 2) {
            document.HasOddByte = true;
            document.OddByte = bytes[size - 1];
        }
        return true;
    }
    size_t skip = document.Mark ? 3 : 0;
    if (document.Encoding == IniEncoding::Utf8) {
        document.Length = DecodeUtf8(bytes + skip, size - skip, out);
        return true;
    }
    // The code page line by line, so its lines are the bytes' lines whatever it makes of a
    // byte before a line end.
    size_t n = 0;
    for (size_t i = skip; i < size;) {
        size_t end = i;
        while (end < size && bytes[end] != 0x0D && bytes[end] != 0x0A) ++end;
        if (end > i) n += codePage.Decode(bytes + i, end - i, out + n, codePage.Context);
        i = end;
        if (i < size && bytes[i] == 0x0D) out[n++] = Cr, ++i;
        if (i < size && bytes[i] == 0x0A) out[n++] = Lf, ++i;
    }
    document.Length = n;
    return true;
}

IniRead ReadIniValue(const IniDocument& document, const char* section, const char* key, char* text, size_t capacity)
{
    IniRead read{false, false};
    if (capacity == 0) return read;
    text[0] = '\0';
    Name sectionName, keyName;
    if (!ToName(section, sectionName) || !ToName(key, keyName)) return read;
    Spot spot = Find(document, sectionName, keyName);
    if (!spot.KeyFound) return read;
    read.Found = true;

    const IniUnit* units = document.Text;
    size_t begin = spot.Key.ValueBegin, end = spot.Key.ValueEnd;
    for (size_t i = begin; i < end; ++i)
        if (units[i] == 0) end = i;  // the value is a C string: a NUL ends it
    if (end - begin >= 2 && units[begin] == units[end - 1] && (units[begin] == '"' || units[begin] == '\'')) {
        ++begin;
        --end;
    }
    if (end - begin > IniValueLimit) {
        end = begin + IniValueLimit;
        if (IsHighSurrogate(units[end - 1])) --end;  // half a character would read as U+FFFD
        read.Cut = true;
    }
    size_t written;
    if (!EncodeUtf8(units + begin, end - begin, reinterpret_cast<unsigned char*>(text), capacity - 1, &written))
        read.Cut = true;
    text[written] = '\0';
    return read;
}

void ForEachIniKey(const IniDocument& document, const char* section, IniKeyVisitor visit, void* context)
{
    Name sectionName;
    if (!ToName(section, sectionName)) return;
    const IniUnit* text = document.Text;
    bool inSection = false;
    for (size_t at = 0; at < document.Length;) {
        Line line = LineAt(text, document.Length, at);
        at = line.Next;
        Parsed parsed = Parse(text, line);
        if (parsed.Type == Kind::Section) {
            if (inSection) return;  // only the first matching section counts
            inSection = NameEquals(text, parsed.NameBegin, parsed.NameEnd, sectionName);
            continue;
        }
        if (!inSection || parsed.Type != Kind::Key) continue;
        // A name or value longer than these is still named, cut: the line only points at it.
        unsigned char name[NameLimit + 1], value[NameLimit + 1];
        size_t nameBytes, valueBytes;
        (void)EncodeUtf8(text + parsed.NameBegin, parsed.NameEnd - parsed.NameBegin, name, NameLimit, &nameBytes);
        (void)EncodeUtf8(text + parsed.ValueBegin, parsed.ValueEnd - parsed.ValueBegin, value, NameLimit, &valueBytes);
        name[nameBytes] = value[valueBytes] = 0;
        if (!visit(context, reinterpret_cast<const char*>(name), reinterpret_cast<const char*>(value))) return;
    }
}

size_t IniSetRoom(const char* section, const char* key, const char* value)
{
    // Units never outnumber UTF-8 bytes; "\r\n[" "]\r\n" "=" "\r\n" around them, and the
    // value once more while it waits at the buffer's end.
    return TextLength(section) + TextLength(key) + 2 * TextLength(value) + 10;
}

IniSet SetIniValue(IniDocument& document, const char* section, const char* key, const char* value)
{
    Name sectionName, keyName;
    if (!ToName(section, sectionName) || !ToName(key, keyName)) return IniSet::Refused;
    // Only names the reader finds again: no line breaks, a section without ']', a key without
    // '=' that does not begin like a section or a comment, no blanks the reader would drop.
    if (HasLineBreakOrNul(sectionName.Units, sectionName.Length) ||
        HasAny(sectionName.Units, sectionName.Length, "]") || EdgesBlank(sectionName))
        return IniSet::Refused;
    if (HasLineBreakOrNul(keyName.Units, keyName.Length) || HasAny(keyName.Units, keyName.Length, "=") ||
        EdgesBlank(keyName) || (keyName.Length > 0 && (keyName.Units[0] == ';' || keyName.Units[0] == '[')))
        return IniSet::Refused;
    size_t valueSize = TextLength(value);
    if (document.Capacity < document.Length + IniSetRoom(section, key, value)) return IniSet::NoRoom;
    // The value is built at the buffer's end, past everything the change can move.
    IniUnit* valueUnits = document.Text + document.Capacity - valueSize;
    size_t valueLength = DecodeUtf8(reinterpret_cast<const unsigned char*>(value), valueSize, valueUnits);
    if (HasLineBreakOrNul(valueUnits, valueLength)) return IniSet::Refused;

    Spot spot = Find(document, sectionName, keyName);
    IniUnit* text = document.Text;
    if (spot.KeyFound) {
        // "name=value" in the file's spelling of the name, the line's own line end kept.
        size_t start = spot.KeyLine.Start;
        size_t nameLength = spot.Key.NameEnd - spot.Key.NameBegin;
        for (size_t i = 0; i < nameLength; ++i) text[start + i] = text[spot.Key.NameBegin + i];
        size_t valueAt = start + nameLength + 1;
        Shift(document, spot.KeyLine.End, valueAt + valueLength);
        text[start + nameLength] = '=';
        for (size_t i = 0; i < valueLength; ++i) text[valueAt + i] = valueUnits[i];
        return IniSet::Done;
    }

    // The new line(s), gathered before the value at the buffer's end.
    const IniUnit crlf[2] = {Cr, Lf};
    IniUnit lead[2 + 1 + NameLimit + 1 + 2];  // a line end, "[", the section's name, "]", a line end
    size_t leadLength = 0;
    size_t at;
    if (spot.SectionFound) {
        at = spot.LastLine.Next;
        if (at == spot.LastLine.End) lead[leadLength++] = Cr, lead[leadLength++] = Lf;
    } else {
        at = document.Length;
        if (at > 0 && !IsLineEnd(text[at - 1])) lead[leadLength++] = Cr, lead[leadLength++] = Lf;
        lead[leadLength++] = '[';
        for (size_t i = 0; i < sectionName.Length; ++i) lead[leadLength++] = sectionName.Units[i];
        lead[leadLength++] = ']';
        lead[leadLength++] = Cr;
        lead[leadLength++] = Lf;
    }
    Insert(document, at, lead, leadLength);
    at += leadLength;
    Insert(document, at, keyName.Units, keyName.Length);
    at += keyName.Length;
    const IniUnit equals = '=';
    Insert(document, at, &equals, 1);
    ++at;
    Insert(document, at, valueUnits, valueLength);
    at += valueLength;
    Insert(document, at, crlf, 2);
    return IniSet::Done;
}

size_t EncodeIniFile(IniDocument& document, const IniCodePage& codePage, unsigned char* bytes, size_t capacity)
{
    if (capacity < IniEncodedCapacity(document)) return SIZE_MAX;
    size_t n = 0;
    if (document.Encoding == IniEncoding::Ansi) {
        if (document.Mark) bytes[n++] = 0xEF, bytes[n++] = 0xBB, bytes[n++] = 0xBF;
        bool lossy = false;
        size_t written =
            codePage.Encode(document.Text, document.Length, bytes + n, capacity - n, &lossy, codePage.Context);
        bool high;
        // Bytes that would read back as UTF-8 would no longer mean what the code page says.
        if (written != SIZE_MAX && !lossy && !(IsUtf8(bytes + n, written, &high) && high)) return n + written;
        // What the code page cannot hold goes to the Unicode form the profile functions read.
        document.Encoding = IniEncoding::Utf16Le;
        document.Mark = true;
        n = 0;
    }
    if (document.Encoding == IniEncoding::Utf8) {
        if (document.Mark) bytes[n++] = 0xEF, bytes[n++] = 0xBB, bytes[n++] = 0xBF;
        size_t written;
        EncodeUtf8(document.Text, document.Length, bytes + n, capacity - n, &written);
        return n + written;
    }
    bool little = document.Encoding == IniEncoding::Utf16Le;
    bytes[n++] = little ? 0xFF : 0xFE;
    bytes[n++] = little ? 0xFE : 0xFF;
    for (size_t i = 0; i < document.Length; ++i) {
        IniUnit c = document.Text[i];
        bytes[n++] = static_cast<unsigned char>(little ? c & 0xFF : c >> 8);
        bytes[n++] = static_cast<unsigned char>(little ? c >> 8 : c & 0xFF);
    }
    if (document.HasOddByte) bytes[n++] = document.OddByte;
    return n;
}
