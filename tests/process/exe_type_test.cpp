// The program step reads the kind of program from the file's headers instead of asking the
// shell (which a hidden start would otherwise load for this alone): for every kind the step
// tells apart, the answer is the shell's own, SHGetFileInfoA with SHGFI_EXETYPE.
#include <windows.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <string>

#include "process/exe_type.h"
#include "support/support.h"

namespace {

// A copy of a built program with the bytes at offset overwritten (offsets from its own headers).
std::string Patched(const std::string& program, const std::string& changes, size_t offset)
{
    std::string bytes = ReadWholeFile(BuiltProgram(program.c_str()));
    if (bytes.size() >= offset + changes.size()) bytes.replace(offset, changes.size(), changes);
    return bytes;
}

uint32_t NewHeader(const std::string& bytes)
{
    return bytes.size() < 64 ? 0 : uint32_t(uint8_t(bytes[0x3C]) | uint8_t(bytes[0x3D]) << 8);
}

// The DOS stub alone: an MZ header whose new-header offset points at no signature.
std::string DosProgram()
{
    std::string bytes(128, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    bytes[0x3C] = 0x40;
    bytes.replace(0x40, 4, "\xB4\x4C\xCD\x21", 4);  // mov ah,4Ch; int 21h
    return bytes;
}

// A 16-bit program: the NE header at 0x40 with its target system (0x36) and the Windows
// version it expects (0x3E).
std::string NewExecutable(char system)
{
    std::string bytes = DosProgram();
    bytes.resize(0x40 + 0x40, '\0');
    bytes.replace(0x40, 2, "NE");
    bytes[0x40 + 0x36] = system;
    bytes.replace(0x40 + 0x3E, 2, "\x0A\x03", 2);
    return bytes;
}

}  // namespace

TEST(ExeType, AgreesWithTheShellForEveryKindOfProgram)
{
    TempFolder folder;
    const std::string gui = ReadWholeFile(BuiltProgram("probe_gui.exe"));
    const std::string console = ReadWholeFile(BuiltProgram("probe_console.exe"));
    ASSERT_FALSE(gui.empty());
    ASSERT_FALSE(console.empty());
    const uint32_t pe = NewHeader(gui);
    // Subsystem version fields of the optional header (48 and 50 bytes in, after the 24 bytes
    // of the signature and the file header), the subsystem at 68.
    std::string win10 = gui;
    win10.replace(pe + 24 + 48, 4, std::string("\x0A\x00\x00\x00", 4));
    std::string win51 = gui;
    win51.replace(pe + 24 + 48, 4, std::string("\x05\x00\x01\x00", 4));
    std::string native = gui;
    native.replace(pe + 24 + 68, 2, std::string("\x01\x00", 2));

    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"gui.exe", gui},
        {"GUI10.EXE", win10},
        {"gui51.exe", win51},
        {"console.exe", console},
        {"native.exe", native},
        {"library.exe", Patched("marker_dll.dll", "", 0)},
        {"dos.exe", DosProgram()},
        {"win16.exe", NewExecutable(2)},
        {"os2.exe", NewExecutable(1)},
        {"unknown16.exe", NewExecutable(0)},
        {"text.exe", "just some text\r\n"},
        {"empty.exe", ""},
        {"short.exe", "MZ"},
        {"unicode.com", "\xB4\x4C\xCD\x21"},
        {"shortcut.pif", std::string(64, '\0')},
        {"script.cmd", "@echo off\r\n"},
        {"readme.txt", "not a program"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder / c.name;
        ASSERT_TRUE(WriteWholeFile(path, c.bytes));
        uint32_t shell = uint32_t(SHGetFileInfoA(path.c_str(), 0, nullptr, 0, SHGFI_EXETYPE));
        // Wine's shell gives "MZ" with its two bytes swapped; the program step expects the
        // signature as it stands in the file, like the other two.
        if (shell == 0x4D5Au) shell = IMAGE_DOS_SIGNATURE;
        EXPECT_EQ(ExeTypeOf(path.c_str()), shell);
    }
    // A batch file is a console program to the shell ("PE", high word 0, as documented); Wine's
    // shell answers 0 for it, as for any file without a program header.
    const std::string batch = folder / "script.bat";
    ASSERT_TRUE(WriteWholeFile(batch, "@echo off\r\n"));
    EXPECT_EQ(ExeTypeOf(batch.c_str()), 0x4550u);
    for (const std::string& path : {folder / "missing.exe", folder.Path()}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(ExeTypeOf(path.c_str()), uint32_t(SHGetFileInfoA(path.c_str(), 0, nullptr, 0, SHGFI_EXETYPE)));
    }
}
