// The text core natively: encodings, the profile functions' rules on the tricky-file table,
// changes, cuts and hostile files. The code page is ISO 8859-1 here (one byte, one unit), so
// its lossy case is any character above U+00FF.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/ini_cases.h"
#include "settings/ini_text_core.h"
#include "tests/settings/latin1_code_page.h"

namespace {

// A document over its own growing buffer.
struct Doc {
    std::vector<IniUnit> Units;
    IniDocument D{};

    explicit Doc(const std::string& bytes)
    {
        Units.resize(IniDecodedCapacity(bytes.size()));
        D.Text = Units.data();
        D.Capacity = Units.size();
        EXPECT_TRUE(DecodeIniFile(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), Latin1, D));
    }
    std::string Read(const char* section, const char* key, IniRead* result = nullptr, size_t capacity = 20000)
    {
        std::vector<char> text(capacity);
        IniRead read = ReadIniValue(D, section, key, text.data(), capacity);
        if (result) *result = read;
        return read.Found ? std::string(text.data()) : ini_cases::NotFound;
    }
    IniSet Set(const char* section, const char* key, const char* value)
    {
        std::vector<IniUnit> bigger(D.Length + IniSetRoom(section, key, value));
        std::copy(D.Text, D.Text + D.Length, bigger.begin());
        Units.swap(bigger);
        D.Text = Units.data();
        D.Capacity = Units.size();
        return SetIniValue(D, section, key, value);
    }
    std::string Encode()
    {
        std::string bytes(IniEncodedCapacity(D), '\0');
        size_t n = EncodeIniFile(D, Latin1, reinterpret_cast<unsigned char*>(bytes.data()), bytes.size());
        EXPECT_NE(n, SIZE_MAX);
        bytes.resize(n == SIZE_MAX ? 0 : n);
        return bytes;
    }
};

std::string Utf16(const std::u16string& text, bool little)
{
    std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
    for (char16_t c : text) {
        char lo = char(c & 0xFF), hi = char(c >> 8);
        bytes += little ? std::string{lo, hi} : std::string{hi, lo};
    }
    return bytes;
}

std::u16string Widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

TEST(IniText, EncodingsAreDetectedAndDecoded)
{
    struct Case {
        const char* name;
        std::string file;
        IniEncoding encoding;
        bool mark;
        const char* value;  // of [s] a, UTF-8
    } cases[] = {
        {"ASCII", "[s]\r\na=x", IniEncoding::Ansi, false, "x"},
        {"code page", "[s]\r\na=caf\xE9", IniEncoding::Ansi, false, "caf\xC3\xA9"},
        {"UTF-8", "[s]\r\na=caf\xC3\xA9 \xCE\xA9", IniEncoding::Utf8, false, "caf\xC3\xA9 \xCE\xA9"},
        {"UTF-8 with mark", "\xEF\xBB\xBF[s]\r\na=\xF0\x9F\x98\x80", IniEncoding::Utf8, true, "\xF0\x9F\x98\x80"},
        {"UTF-8 mark, plain text", "\xEF\xBB\xBF[s]\r\na=x", IniEncoding::Utf8, true, "x"},
        {"UTF-8 mark, invalid text", "\xEF\xBB\xBF[s]\r\na=\xE9", IniEncoding::Ansi, true, "\xC3\xA9"},
        {"invalid UTF-8", "[s]\r\na=\xC3\x28", IniEncoding::Ansi, false, "\xC3\x83("},
        {"overlong UTF-8", "[s]\r\na=\xC0\xAF", IniEncoding::Ansi, false, "\xC3\x80\xC2\xAF"},
        {"UTF-8 surrogate", "[s]\r\na=\xED\xA0\x80", IniEncoding::Ansi, false, "\xC3\xAD\xC2\xA0\xC2\x80"},
        {"cut UTF-8", "[s]\r\na=\xE2\x82", IniEncoding::Ansi, false, "\xC3\xA2\xC2\x82"},
        {"UTF-16 LE", Utf16(u"[s]\r\na=\u0391\u03A9", true), IniEncoding::Utf16Le, true, "\xCE\x91\xCE\xA9"},
        {"UTF-16 BE", Utf16(u"[s]\r\na=\u65E5\u672C", false), IniEncoding::Utf16Be, true, "\xE6\x97\xA5\xE6\x9C\xAC"},
        {"UTF-16 lone surrogate", Utf16(u"[s]\r\na=x\xD800y", true), IniEncoding::Utf16Le, true, "x\xEF\xBF\xBDy"},
        {"UTF-16 odd length", Utf16(u"[s]\r\na=x", true) + "\x41", IniEncoding::Utf16Le, true, "x"},
        {"only a UTF-16 mark", "\xFF\xFE", IniEncoding::Utf16Le, true, nullptr},
        {"only a UTF-8 mark", "\xEF\xBB\xBF", IniEncoding::Utf8, true, nullptr},
        {"one byte", "\xFF", IniEncoding::Ansi, false, nullptr},
        {"empty", "", IniEncoding::Ansi, false, nullptr},
    };
    for (const Case& c : cases) {
        Doc doc(c.file);
        EXPECT_EQ(doc.D.Encoding, c.encoding) << c.name;
        EXPECT_EQ(doc.D.Mark, c.mark) << c.name;
        EXPECT_EQ(doc.Read("s", "a"), c.value ? c.value : ini_cases::NotFound) << c.name;
        EXPECT_EQ(doc.Encode(), c.file) << c.name << ": written back unchanged";
    }
}

TEST(IniText, ReadsAsTheProfileFunctionsDocument)
{
    for (const ini_cases::ReadCase& c : ini_cases::ReadCases) {
        for (bool utf16 : {false, true}) {
            Doc doc(utf16 ? Utf16(Widen(c.File), true) : c.File);
            EXPECT_EQ(doc.Read(c.Section, c.Key), c.Expected) << c.Name << (utf16 ? " UTF-16" : "");
        }
    }
}

TEST(IniText, NamesMatchInAnyLetterCase)
{
    // Σ/σ/ς, Ж/ж, É/é.
    Doc doc("[\xCE\xA3\xCF\x82]\r\n\xD0\x96\xC3\x89=1\r\n");
    EXPECT_EQ(doc.Read("\xCF\x83\xCE\xA3", "\xD0\xB6\xC3\xA9"), "1");
    EXPECT_EQ(doc.Read(" \xCF\x83\xCE\xA3 ", " \xD0\xB6\xC3\xA9 "), "1") << "spaces around a name asked for";
}

TEST(IniText, LongValuesAreCutAndSaySo)
{
    struct Case {
        const char* name;
        std::u16string value;
        size_t capacity;
        std::string expected;
        bool cut;
    } cases[] = {
        {"4095 units", std::u16string(4095, u'x'), 20000, std::string(4095, 'x'), false},
        {"4096 units", std::u16string(4096, u'x'), 20000, std::string(4095, 'x'), true},
        {"5000 units, quoted", u"\"" + std::u16string(5000, u'x') + u"\"", 20000, std::string(4095, 'x'), true},
        {"a pair across the cut", std::u16string(4094, u'x') + u"\U0001F600", 20000, std::string(4094, 'x'), true},
        {"fits the buffer", u"\u03A9\u03A9", 5, "\xCE\xA9\xCE\xA9", false},
        {"not the buffer", u"\u03A9\u03A9\u03A9", 5, "\xCE\xA9\xCE\xA9", true},
        {"a character at the buffer's end", u"x\u03A9", 3, "x", true},
    };
    for (const Case& c : cases) {
        Doc doc(Utf16(u"[s]\r\na=" + c.value + u"\r\nb=2", true));
        IniRead read;
        EXPECT_EQ(doc.Read("s", "a", &read, c.capacity), c.expected) << c.name;
        EXPECT_EQ(read.Cut, c.cut) << c.name;
        EXPECT_EQ(doc.Read("s", "b"), "2") << c.name;
    }
}

TEST(IniText, WritesAsTheProfileFunctionsDocument)
{
    for (const ini_cases::WriteCase& c : ini_cases::WriteCases) {
        for (bool utf16 : {false, true}) {
            Doc doc(utf16 ? Utf16(Widen(c.File), true) : c.File);
            EXPECT_EQ(doc.Set(c.Section, c.Key, c.Value), IniSet::Done) << c.Name;
            EXPECT_EQ(doc.Encode(), utf16 ? Utf16(Widen(c.Expected), true) : c.Expected) << c.Name;
        }
    }
}

// A new section of the longest name the reader takes (512 units) after a last line with no line
// end: the line end, the brackets and the name all go in before the key.
TEST(IniText, LongestNewSectionAfterAnOpenLastLine)
{
    const std::string name(512, 's');
    Doc doc("[a]\r\nb=1");
    ASSERT_EQ(doc.Set(name.c_str(), "k", "v"), IniSet::Done);
    EXPECT_EQ(doc.Encode(), "[a]\r\nb=1\r\n[" + name + "]\r\nk=v\r\n");
    EXPECT_EQ(doc.Read(name.c_str(), "k"), "v");
}

TEST(IniText, WritingKeepsTheEncoding)
{
    const char* greek = "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC";  // Ελληνικά
    struct Case {
        const char* name;
        std::string file;
        const char* value;
        std::string expected;
    } cases[] = {
        {"code page, value fits", "; \xE9\r\n[s]\r\na=1\r\n", "caf\xC3\xA9", "; \xE9\r\n[s]\r\na=caf\xE9\r\n"},
        {"code page, value does not", "; \xE9\r\n[s]\r\na=1\r\n", greek,
         Utf16(u"; \u00E9\r\n[s]\r\na=\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC\r\n", true)},
        {"code page, bytes that would read as UTF-8", "[s]\r\na=\xE9\r\n", "\xC3\x83\xC2\xA9",
         Utf16(u"[s]\r\na=\u00C3\u00A9\r\n", true)},
        {"code page after a UTF-8 mark", "\xEF\xBB\xBF[s]\r\na=\xE9\r\n", "caf\xC3\xA9",
         "\xEF\xBB\xBF[s]\r\na=caf\xE9\r\n"},
        {"UTF-8", "[s]\r\na=\xC3\xA9\r\n", greek, std::string("[s]\r\na=") + greek + "\r\n"},
        {"UTF-8 with mark", "\xEF\xBB\xBF[s]\r\na=1\r\n", greek, std::string("\xEF\xBB\xBF[s]\r\na=") + greek + "\r\n"},
        {"UTF-16 BE", Utf16(u"[s]\r\na=1\r\n", false), greek,
         Utf16(u"[s]\r\na=\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC\r\n", false)},
        {"UTF-16, odd byte kept", Utf16(u"[s]\r\na=1\r\n", true) + "\x7F", "2",
         Utf16(u"[s]\r\na=2\r\n", true) + "\x7F"},
        {"invalid UTF-8 in a value", "[s]\r\na=1\r\n", "x\xFFy", Utf16(u"[s]\r\na=x\uFFFDy\r\n", true)},
    };
    for (const Case& c : cases) {
        Doc doc(c.file);
        EXPECT_EQ(doc.Set("s", "a", c.value), IniSet::Done) << c.name;
        EXPECT_EQ(doc.Encode(), c.expected) << c.name;
    }
}

TEST(IniText, ChangesTheFileCouldNotHoldAreRefused)
{
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {"s", "a", "x\ry"}, {"s", "a", "x\ny"}, {"s]", "a", "x"},     {"s\n", "a", "x"}, {"s", "a=b", "x"},
        {"s", ";a", "x"},   {"s", "[a", "x"},   {"s", "a\tb\t", "x"}, {"\ts", "a", "x"},
    };
    for (const Case& c : cases) {
        Doc doc("[s]\r\na=1\r\n");
        EXPECT_EQ(doc.Set(c.section, c.key, c.value), IniSet::Refused) << c.section << "/" << c.key << "/" << c.value;
        EXPECT_EQ(doc.Encode(), "[s]\r\na=1\r\n");
    }
    Doc doc("[s]\r\n");
    EXPECT_EQ(SetIniValue(doc.D, "s", "a", "x"), IniSet::NoRoom);
    EXPECT_EQ(doc.Encode(), "[s]\r\n");
}

TEST(IniText, HostileFilesStillRead)
{
    std::string nuls(1 << 20, '\0');
    struct Case {
        const char* name;
        std::string file;
    } cases[] = {
        {"10 MB without a line end", "[s]\r\nb=2\r\nc=" + std::string(10 << 20, 'x')},
        {"10 MB of line ends", "[s]\r\nb=2" + std::string(10 << 20, '\n')},
        {"10 MB of sections", "[s]\r\nb=2\r\n" + std::string(10 << 20, '[')},
        {"NUL bytes", "[s]\r\nb=2\r\n" + nuls + "\r\n"},
    };
    for (const Case& c : cases) {
        Doc doc(c.file);
        for (int i = 0; i < 40; ++i) EXPECT_EQ(doc.Read("s", "b"), "2") << c.name;
        EXPECT_EQ(doc.Read("s", "z"), ini_cases::NotFound) << c.name;
    }
}

}  // namespace
