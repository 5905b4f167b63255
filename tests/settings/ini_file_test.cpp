// The settings file reader and writer against the platform's own profile functions on the
// tricky-file table, and the file on disk: missing, unreadable, large, saved whole.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "settings/ini_cases.h"
#include "settings/ini_file.h"
#include "support/support.h"

namespace {

using ini_cases::NotFound;

std::string Utf16File(const std::string& utf8)
{
    std::wstring wide = Utf16(utf8);
    return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
}

std::string OurRead(const std::string& path, const char* section, const char* key, IniRead* result = nullptr)
{
    IniFile file;
    EXPECT_EQ(LoadIniFile(Utf16(path).c_str(), file), DWORD(ERROR_SUCCESS)) << path;
    static char text[20000];
    IniRead read = ReadIniValue(file.Document, section, key, text);
    if (result) *result = read;
    return read.Found ? text : NotFound;
}

std::string PlatformReadA(const std::string& path, const char* section, const char* key)
{
    static char text[4096];
    GetPrivateProfileStringA(section, key, NotFound, text, sizeof text, path.c_str());
    return text;
}

std::string PlatformReadW(const std::string& path, const char* section, const char* key)
{
    static wchar_t text[4096];
    GetPrivateProfileStringW(Utf16(section).c_str(), Utf16(key).c_str(), Utf16(NotFound).c_str(), text, 4096,
                             Utf16(path).c_str());
    return Utf8(text);
}

// Rows where Wine differs take either answer, so the table holds on Windows too.
void ExpectPlatform(const std::string& got, const std::string& expected, const char* wine, const std::string& what,
                    const std::string& wineEncoded = std::string())
{
    if (wine && got == (wineEncoded.empty() ? std::string(wine) : wineEncoded)) return;
    EXPECT_EQ(got, expected) << what;
}

TEST(IniFile, ReadsAsThePlatformReads)
{
    TempFolder folder;
    int row = 0;
    for (const ini_cases::ReadCase& c : ini_cases::ReadCases) {
        // A file of its own per row: Wine keeps a parsed file by its name and write time.
        std::string ansi = folder / ("ansi" + std::to_string(row) + ".ini");
        std::string utf16 = folder / ("utf16" + std::to_string(row++) + ".ini");
        ASSERT_TRUE(WriteWholeFile(ansi, c.File));
        ASSERT_TRUE(WriteWholeFile(utf16, Utf16File(c.File)));
        EXPECT_EQ(OurRead(ansi, c.Section, c.Key), c.Expected) << c.Name;
        EXPECT_EQ(OurRead(utf16, c.Section, c.Key), c.Expected) << c.Name << " (UTF-16)";
        ExpectPlatform(PlatformReadA(ansi, c.Section, c.Key), c.Expected, c.Wine, c.Name);
        ExpectPlatform(PlatformReadW(utf16, c.Section, c.Key), c.Expected, c.Wine, std::string(c.Name) + " (UTF-16)");
    }
}

TEST(IniFile, ReadsAnyAlphabetAsThePlatformReadsUtf16)
{
    // [Ελληνικά] Φακελοι=C:\Ωmega\日本語, asked for as written and in the other letter case.
    TempFolder folder;
    std::string path = folder / "greek.ini";
    const char* section = "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC";
    const char* key = "\xCE\xA6\xCE\xB1\xCE\xBA\xCE\xB5\xCE\xBB\xCE\xBF\xCE\xB9";
    const char* expected = "C:\\\xCE\xA9mega\\\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";
    ASSERT_TRUE(WriteWholeFile(path, Utf16File(std::string("[") + section + "]\r\n" + key + "=" + expected + "\r\n")));
    EXPECT_EQ(OurRead(path, section, key), expected);
    EXPECT_EQ(PlatformReadW(path, section, key), expected);

    const char* otherSection = "\xCE\xB5\xCE\x9B\xCE\x9B\xCE\x97\xCE\x9D\xCE\x99\xCE\x9A\xCE\xAC";
    const char* otherKey = "\xCF\x86\xCE\x91\xCE\x9A\xCE\x95\xCE\x9B\xCE\x9F\xCE\x99";
    EXPECT_EQ(OurRead(path, otherSection, otherKey), expected);
    // Wine matches names in any letter case for ASCII letters only.
    ExpectPlatform(PlatformReadW(path, otherSection, otherKey), expected, NotFound, "other letter case");
}

TEST(IniFile, CutsLongValuesWhereThePlatformDoes)
{
    TempFolder folder;
    std::string path = folder / "long.ini";
    ASSERT_TRUE(WriteWholeFile(path, "[s]\r\na=\"" + std::string(5000, 'x') + "\"\r\n"));
    IniRead read;
    EXPECT_EQ(OurRead(path, "s", "a", &read), PlatformReadA(path, "s", "a"));
    EXPECT_TRUE(read.Cut);
    EXPECT_EQ(PlatformReadA(path, "s", "a").size(), 4095u);
}

std::string OurWrite(const std::string& path, const char* section, const char* key, const char* value)
{
    IniFile file;
    std::wstring wide = Utf16(path);
    EXPECT_EQ(LoadIniFile(wide.c_str(), file), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(SetIniFileValue(file, section, key, value), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(SaveIniFile(wide.c_str(), file), DWORD(ERROR_SUCCESS));
    return ReadWholeFile(path);
}

TEST(IniFile, WritesAsThePlatformWrites)
{
    TempFolder folder;
    int row = 0;
    for (const ini_cases::WriteCase& c : ini_cases::WriteCases) {
        for (bool utf16 : {false, true}) {
            std::string ours = folder / ("ours" + std::to_string(row) + ".ini");
            std::string platform = folder / ("platform" + std::to_string(row++) + ".ini");
            std::string name = std::string(c.Name) + (utf16 ? " (UTF-16)" : "");
            auto encode = [&](const std::string& text) { return utf16 ? Utf16File(text) : text; };
            ASSERT_TRUE(WriteWholeFile(ours, encode(c.File)));
            ASSERT_TRUE(WriteWholeFile(platform, encode(c.File)));
            EXPECT_EQ(OurWrite(ours, c.Section, c.Key, c.Value), encode(c.Expected)) << name;
            if (utf16)
                WritePrivateProfileStringW(Utf16(c.Section).c_str(), Utf16(c.Key).c_str(), Utf16(c.Value).c_str(),
                                           Utf16(platform).c_str());
            else
                WritePrivateProfileStringA(c.Section, c.Key, c.Value, platform.c_str());
            ExpectPlatform(ReadWholeFile(platform), encode(c.Expected), c.Wine, name, c.Wine ? encode(c.Wine) : "");
        }
    }
}

TEST(IniFile, AValueTheCodePageCannotHoldMakesTheFileUtf16)
{
    TempFolder folder;
    std::string path = folder / "settings.ini";
    ASSERT_TRUE(WriteWholeFile(path, "; kept\r\n[s]\r\na=1\r\n[RUN]\r\nx=y\r\n"));
    const char* greek = "C:\\\xCE\xA9mega\\\xE6\x97\xA5";  // C:\Ωmega\日
    EXPECT_EQ(OurWrite(path, "s", "a", greek),
              Utf16File(std::string("; kept\r\n[s]\r\na=") + greek + "\r\n[RUN]\r\nx=y\r\n"));
    EXPECT_EQ(PlatformReadW(path, "s", "a"), greek) << "the platform reads it too";
    EXPECT_EQ(PlatformReadW(path, "RUN", "x"), "y");
}

TEST(IniFile, MissingLargeAndUnreadableFiles)
{
    TempFolder folder;
    IniFile file;
    EXPECT_EQ(LoadIniFile(Utf16(folder / "missing.ini").c_str(), file), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(LoadIniFile(Utf16(folder / "no folder\\missing.ini").c_str(), file), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(file.Document.Length, 0u);

    std::string large = folder / "large.ini";
    ASSERT_TRUE(WriteWholeFile(large, "[s]\r\na=1\r\nb=" + std::string(10 << 20, 'x') + "\r\n[t]\r\nc=3"));
    EXPECT_EQ(OurRead(large, "t", "c"), "3");

    // Root reads any file under Wine: a read fails only while another handle shares nothing.
    HANDLE held = CreateFileA(large.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(LoadIniFile(Utf16(large).c_str(), file), DWORD(ERROR_SHARING_VIOLATION));
    char text[16];
    EXPECT_FALSE(ReadIniValue(file.Document, "t", "c", text).Found) << "defaults after a failed read";
    CloseHandle(held);
}

TEST(IniFile, SavingNeverLeavesTheFileCut)
{
    TempFolder folder;
    std::string path = folder / "settings.ini";
    ASSERT_TRUE(WriteWholeFile(path, "[s]\r\na=1\r\n"));
    // ReplaceFileW keeps the replaced file's attributes on Windows; Wine's drops them, so
    // they are not checked here.
    EXPECT_EQ(OurWrite(path, "s", "a", "2"), "[s]\r\na=2\r\n");

    IniFile file;
    std::wstring wide = Utf16(path);
    ASSERT_EQ(LoadIniFile(wide.c_str(), file), DWORD(ERROR_SUCCESS));
    ASSERT_EQ(SetIniFileValue(file, "s", "a", "3"), DWORD(ERROR_SUCCESS));
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_NE(SaveIniFile(wide.c_str(), file), DWORD(ERROR_SUCCESS));
    CloseHandle(held);
    EXPECT_EQ(ReadWholeFile(path), "[s]\r\na=2\r\n") << "a failed save leaves the file as it was";
    WIN32_FIND_DATAA found;
    // Wine's failed ReplaceFileW leaves its own rf*.tmp behind; the save's file is *.~<id>.tmp.
    HANDLE search = FindFirstFileA((folder / "*.~*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "no temporary file left: " << found.cFileName;
    if (search != INVALID_HANDLE_VALUE) FindClose(search);

    EXPECT_EQ(SaveIniFile(Utf16(folder / "no folder\\settings.ini").c_str(), file), DWORD(ERROR_PATH_NOT_FOUND));
}

}  // namespace
