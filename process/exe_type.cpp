#include "process/exe_type.h"

#include <windows.h>

#include "common/scoped.h"
#include "process/program_core.h"

namespace {

// True when the name ends in ext (".bat" and the like), case aside.
bool HasExtension(const char* path, const char* ext)
{
    size_t length = 0, extLength = 0;
    while (path[length]) ++length;
    while (ext[extLength]) ++extLength;
    return length > extLength && lstrcmpiA(path + length - extLength, ext) == 0;
}

bool ReadAt(HANDLE file, DWORD offset, void* bytes, DWORD count)
{
    DWORD read = 0;
    return SetFilePointer(file, LONG(offset), nullptr, FILE_BEGIN) == offset &&
           ReadFile(file, bytes, count, &read, nullptr) && read == count;
}

uint16_t Word(const unsigned char* bytes, size_t at) { return uint16_t(bytes[at] | bytes[at + 1] << 8); }

}  // namespace

uint32_t ExeTypeOf(const char* path)
{
    if (!path || !path[0]) return 0;
    ScopedFile file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 0;
    // These are told by their names alone, whatever they hold.
    if (HasExtension(path, ".bat")) return SignaturePE;
    if (HasExtension(path, ".com") || HasExtension(path, ".pif")) return SignatureMZ;

    unsigned char dos[64];
    if (!ReadAt(file.Get(), 0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return 0;
    DWORD newHeader = DWORD(Word(dos, 0x3C)) | DWORD(Word(dos, 0x3E)) << 16;
    // The file header (24 bytes with the signature) and the optional header up to its
    // subsystem, which lies at the same place in the 32- and 64-bit layouts.
    unsigned char header[24 + 70];
    if (!ReadAt(file.Get(), newHeader, header, 2)) return SignatureMZ;
    if (header[0] == 'P' && header[1] == 'E') {
        if (!ReadAt(file.Get(), newHeader, header, sizeof header) || header[2] || header[3]) return SignatureMZ;
        if (Word(header, 4 + 18) & IMAGE_FILE_DLL) return 0;
        if (Word(header, 24 + 68) != IMAGE_SUBSYSTEM_WINDOWS_GUI) return SignaturePE;
        return SignaturePE | uint32_t(header[24 + 48]) << 24 | uint32_t(header[24 + 50]) << 16;
    }
    if (header[0] == 'N' && header[1] == 'E') {
        // The target system at 0x36 of the NE header (only a Windows program counts for the
        // shell), the Windows version the program expects at 0x3E.
        unsigned char fields[10];
        if (!ReadAt(file.Get(), newHeader + 0x36, fields, sizeof fields)) return SignatureMZ;
        if (fields[0] != 2) return 0;
        return SignatureNE | uint32_t(Word(fields, 8)) << 16;
    }
    return SignatureMZ;
}
