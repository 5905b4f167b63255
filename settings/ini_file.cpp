#include "settings/ini_file.h"

#include "common/buffers.h"
#include "common/debug_line.h"
#include "common/error_text.h"
#include "common/scoped.h"
#include "common/text.h"
#include "common/unattended.h"
#include "common/unicode.h"

namespace {

size_t DecodeAnsi(const unsigned char* bytes, size_t count, IniUnit* units, void*)
{
    int n = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(bytes), int(count),
                                reinterpret_cast<wchar_t*>(units), int(count));
    return n > 0 ? size_t(n) : 0;
}

size_t EncodeAnsi(const IniUnit* units, size_t count, unsigned char* bytes, size_t capacity, bool* lossy, void*)
{
    *lossy = false;
    if (count == 0) return 0;
    int room = capacity > 0x7FFFFFFF ? 0x7FFFFFFF : int(capacity);
    // A UTF-8 or UTF-7 system code page takes neither flag nor default: it holds every character.
    UINT codePage = GetACP();
    bool unicode = codePage == CP_UTF8 || codePage == CP_UTF7;
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(CP_ACP, unicode ? 0 : WC_NO_BEST_FIT_CHARS, reinterpret_cast<const wchar_t*>(units),
                                int(count), reinterpret_cast<char*>(bytes), room, nullptr,
                                unicode ? nullptr : &usedDefault);
    if (n <= 0) return SIZE_MAX;
    *lossy = usedDefault != FALSE;
    return size_t(n);
}

void Empty(IniDocument& document)
{
    document.Length = 0;
    document.Encoding = IniEncoding::Ansi;
    document.Mark = false;
    document.HasOddByte = false;
}

DWORD ReadAll(HANDLE handle, unsigned char* bytes, DWORD size, DWORD* got)
{
    *got = 0;
    while (*got < size) {
        DWORD read = 0;
        if (!ReadFile(handle, bytes + *got, size - *got, &read, nullptr)) return GetLastError();
        if (read == 0) break;  // the file became shorter: what was read is the file
        *got += read;
    }
    return ERROR_SUCCESS;
}

DWORD WriteAll(HANDLE handle, const unsigned char* bytes, size_t size)
{
    size_t done = 0;
    while (done < size) {
        DWORD chunk = size - done > 0x40000000 ? 0x40000000 : DWORD(size - done);
        DWORD written = 0;
        if (!WriteFile(handle, bytes + done, chunk, &written, nullptr)) return GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;
        done += written;
    }
    return ERROR_SUCCESS;
}

// path + ".~<process id>.tmp": beside the file, so the replacement stays on its volume.
bool TemporaryPath(const wchar_t* path, wchar_t* temporary, size_t capacity)
{
    wchar_t suffix[24] = L".~";
    wchar_t digits[12];
    size_t n = 0;
    for (DWORD id = GetCurrentProcessId(); n == 0 || id; id /= 10) digits[n++] = wchar_t(L'0' + id % 10);
    size_t at = 2;
    while (n) suffix[at++] = digits[--n];
    suffix[at] = L'\0';
    return TextCopy(temporary, capacity, path) && TextAppend(temporary, capacity, suffix) &&
           TextAppend(temporary, capacity, L".tmp");
}

DWORD PutInPlace(const wchar_t* path, const wchar_t* temporary)
{
    if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES &&
        ReplaceFileW(path, temporary, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return ERROR_SUCCESS;
    // No file to replace, or a file system or share that ReplaceFileW cannot work with.
    if (MoveFileExW(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return ERROR_SUCCESS;
    return GetLastError();
}

}  // namespace

IniCodePage SystemCodePage() { return IniCodePage{DecodeAnsi, EncodeAnsi, nullptr}; }

DWORD LoadIniFile(const wchar_t* path, IniFile& file)
{
    Empty(file.Document);
    ScopedFile handle(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ERROR_SUCCESS : error;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle.Get(), &size)) return GetLastError();
    if (size.QuadPart > IniFileSizeLimit) return ERROR_FILE_TOO_LARGE;
    DWORD byteCount = DWORD(size.QuadPart);
    ScopedHeap<unsigned char> bytes(HeapBlockOf<unsigned char>(byteCount));
    if (!bytes) return ERROR_NOT_ENOUGH_MEMORY;
    DWORD got;
    if (DWORD error = ReadAll(handle.Get(), bytes.Get(), byteCount, &got)) return error;

    size_t capacity = IniDecodedCapacity(got);
    if (capacity > file.Document.Capacity) {
        ScopedHeap<IniUnit> text(HeapBlockOf<IniUnit>(capacity * sizeof(IniUnit)));
        if (!text) return ERROR_NOT_ENOUGH_MEMORY;
        file.Block = static_cast<ScopedHeap<IniUnit>&&>(text);
        file.Document.Text = file.Block.Get();
        file.Document.Capacity = capacity;
    }
    DecodeIniFile(bytes.Get(), got, SystemCodePage(), file.Document);
    return ERROR_SUCCESS;
}

DWORD SetIniFileValue(IniFile& file, const char* section, const char* key, const char* value)
{
    IniDocument& document = file.Document;
    IniSet result = SetIniValue(document, section, key, value);
    if (result == IniSet::NoRoom) {
        size_t capacity = document.Length + IniSetRoom(section, key, value);
        if (capacity < document.Capacity * 2) capacity = document.Capacity * 2;
        ScopedHeap<IniUnit> text(HeapBlockOf<IniUnit>(capacity * sizeof(IniUnit)));
        if (!text) return ERROR_NOT_ENOUGH_MEMORY;
        CopyBytes(document.Text, text.Get(), document.Length * sizeof(IniUnit));
        file.Block = static_cast<ScopedHeap<IniUnit>&&>(text);
        document.Text = file.Block.Get();
        document.Capacity = capacity;
        result = SetIniValue(document, section, key, value);
    }
    return result == IniSet::Done ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
}

DWORD SaveIniFile(const wchar_t* path, IniFile& file)
{
    size_t capacity = IniEncodedCapacity(file.Document);
    ScopedHeap<unsigned char> bytes(HeapBlockOf<unsigned char>(capacity));
    size_t pathLength = TextLength(path);
    ScopedHeap<wchar_t> temporary(HeapBlockOf<wchar_t>((pathLength + 32) * sizeof(wchar_t)));
    if (!bytes || !temporary) return ERROR_NOT_ENOUGH_MEMORY;
    size_t size = EncodeIniFile(file.Document, SystemCodePage(), bytes.Get(), capacity);
    if (size == SIZE_MAX) return ERROR_INSUFFICIENT_BUFFER;
    if (!TemporaryPath(path, temporary.Get(), pathLength + 32)) return ERROR_FILENAME_EXCED_RANGE;

    DWORD error;
    {
        ScopedFile handle(
            CreateFileW(temporary.Get(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!handle) return GetLastError();
        error = WriteAll(handle.Get(), bytes.Get(), size);
        if (!error && !FlushFileBuffers(handle.Get())) error = GetLastError();
    }
    if (!error) error = PutInPlace(path, temporary.Get());
    if (error) DeleteFileW(temporary.Get());
    return error;
}

DWORD LoadIniFile(const char* path, IniFile& file)
{
    Empty(file.Document);
    if (!path || !path[0]) return ERROR_SUCCESS;
    wchar_t wide[TextCapacity];
    if (!WidenUtf8(path, wide, TextCapacity)) return ERROR_INVALID_NAME;
    return LoadIniFile(wide, file);
}

DWORD LoadSettingsFile(const char* path, IniFile& file)
{
    DWORD error = LoadIniFile(path, file);
    if (!error) return error;
    Empty(file.Document);
    char line[TextCapacity];
    char reason[PathCapacity];
    ErrorTextOrWords(error, reason, sizeof reason);
    (void)TextJoin(line, {"The settings file could not be read, every setting takes its default: ", reason, " ", path});
    DebugLine(line);
    return error;
}

DWORD SaveIniFile(const char* path, IniFile& file)
{
    if (!path || !path[0]) return ERROR_INVALID_PARAMETER;
    wchar_t wide[TextCapacity];
    if (!WidenUtf8(path, wide, TextCapacity)) return ERROR_INVALID_NAME;
    return SaveIniFile(wide, file);
}
