#include "support/support.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

std::wstring Utf16(const std::string& utf8)
{
    std::wstring wide(utf8.size(), L'\0');
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), int(wide.size()));
    wide.resize(size_t(n > 0 ? n : 0));
    return wide;
}

std::string Utf8(const std::wstring& utf16)
{
    std::string text(utf16.size() * 3, '\0');
    int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), int(utf16.size()), text.data(), int(text.size()), nullptr,
                                nullptr);
    text.resize(size_t(n > 0 ? n : 0));
    return text;
}

std::string EncodeFile(const std::string& utf8, FileEncoding encoding)
{
    std::wstring wide = Utf16(utf8);
    switch (encoding) {
    case FileEncoding::Ansi: {
        std::string bytes(wide.size() * 2, '\0');
        int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), bytes.data(), int(bytes.size()), nullptr,
                                    nullptr);
        bytes.resize(size_t(n > 0 ? n : 0));
        return bytes;
    }
    case FileEncoding::Utf8: return utf8;
    case FileEncoding::Utf8Mark: return "\xEF\xBB\xBF" + utf8;
    case FileEncoding::Utf16Le:
    case FileEncoding::Utf16Be: {
        bool big = encoding == FileEncoding::Utf16Be;
        std::string bytes = big ? "\xFE\xFF" : "\xFF\xFE";
        for (wchar_t unit : wide) {
            char low = char(unit & 0xFF), high = char((unit >> 8) & 0xFF);
            bytes += big ? high : low;
            bytes += big ? low : high;
        }
        return bytes;
    }
    }
    return utf8;
}

std::string DecodeFile(const std::string& bytes, FileEncoding encoding)
{
    switch (encoding) {
    case FileEncoding::Ansi: {
        std::wstring wide(bytes.size(), L'\0');
        int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), wide.data(), int(wide.size()));
        wide.resize(size_t(n > 0 ? n : 0));
        return Utf8(wide);
    }
    case FileEncoding::Utf8: return bytes;
    case FileEncoding::Utf8Mark: return bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes;
    case FileEncoding::Utf16Le:
    case FileEncoding::Utf16Be: {
        bool big = encoding == FileEncoding::Utf16Be;
        std::wstring wide;
        for (size_t at = 2; at + 1 < bytes.size(); at += 2) {
            unsigned first = uint8_t(bytes[at]), second = uint8_t(bytes[at + 1]);
            wide += wchar_t(big ? (first << 8 | second) : (second << 8 | first));
        }
        return Utf8(wide);
    }
    }
    return bytes;
}

std::string BuiltProgram(const char* name)
{
    wchar_t path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::string self = Utf8(std::wstring(path, length));
    return self.substr(0, self.find_last_of('\\') + 1) + name;
}

TempFolder::TempFolder(const std::string& parent)
{
    static std::atomic<unsigned> counter;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::string base = parent.empty() ? Utf8(temp) : parent;
    if (!base.empty() && base.back() == '\\') base.pop_back();
    for (;;) {
        path_ = base + "\\stowlet-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++) +
                "-" + std::to_string(GetTickCount());
        if (CreateDirectoryW(Utf16(path_).c_str(), nullptr)) break;
    }
}

TempFolder::~TempFolder() { RemoveTree(path_); }

namespace {

// The path as the wide calls take it at any length: a plain absolute path gets the \\?\ form,
// which the system takes as it stands (no "/", "." or doubled separators to tidy).
std::wstring AnyLength(std::string path)
{
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    const bool plain = path.size() > 2 && path[1] == ':' && path[2] == '\\' &&
                       path.find_first_of('/') == std::string::npos && path.find("\\\\") == std::string::npos &&
                       path.find("\\.") == std::string::npos;
    return plain ? L"\\\\?\\" + Utf16(path) : Utf16(path);
}

void RemoveTreeAt(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = folder + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            // A folder link goes as a link, never what it leads to.
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                RemoveDirectoryW(child.c_str());
            else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTreeAt(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

void RemoveTree(const std::string& path) { RemoveTreeAt(AnyLength(path)); }

void MakeFolders(const std::string& path)
{
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryW(AnyLength(path.substr(0, at)).c_str(), nullptr);
    CreateDirectoryW(AnyLength(path).c_str(), nullptr);
}

std::string Section(const std::string& name, const std::string& lines) { return "[" + name + "]\r\n" + lines; }

std::vector<std::string> FileLines(const std::string& content)
{
    std::vector<std::string> lines;
    size_t at = content.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    while (at < content.size()) {
        size_t end = content.find("\r\n", at);
        if (end == std::string::npos) end = content.size();
        lines.push_back(content.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

namespace {

struct WindowSearch {
    const char* className;
    const char* captionStart;
    HWND found;
};

BOOL CALLBACK TakeWindow(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    char name[64] = {}, caption[256] = {};
    GetClassNameA(window, name, sizeof name);
    GetWindowTextA(window, caption, sizeof caption);
    if (!IsWindowVisible(window) || lstrcmpA(name, search.className) != 0 ||
        std::string(caption).rfind(search.captionStart, 0) != 0)
        return TRUE;
    search.found = window;
    return FALSE;
}

}  // namespace

HWND ThreadWindow(DWORD thread, const char* className, const char* captionStart)
{
    WindowSearch search = {className, captionStart, nullptr};
    EnumThreadWindows(thread, TakeWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WriteWholeFile(const std::string& path, const std::string& content)
{
    HANDLE file =
        CreateFileW(Utf16(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, content.data(), DWORD(content.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == content.size();
}

std::string ReadWholeFile(const std::string& path)
{
    HANDLE file = CreateFileW(Utf16(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string content;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got) content.append(chunk, got);
    CloseHandle(file);
    return content;
}

bool FileExists(const std::string& path) { return GetFileAttributesW(Utf16(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

namespace {

// Wine's own name of a path on the Unix side, or empty.
std::string UnixName(const std::wstring& path)
{
    using UnixFileName = char* (*)(const wchar_t*);
    auto unixFileName = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    char* name = unixFileName ? unixFileName(path.c_str()) : nullptr;
    std::string unix = name ? name : "";
    if (name) HeapFree(GetProcessHeap(), 0, name);
    return unix;
}

bool IsLink(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

bool UnderWine() { return GetProcAddress(GetModuleHandleA("ntdll"), "wine_get_version") != nullptr; }

bool MakeFolderLink(const std::string& link, const std::string& folder)
{
    const std::wstring wideLink = AnyLength(link);
    const std::wstring wideFolder = AnyLength(folder);
    if (CreateSymbolicLinkW(wideLink.c_str(), wideFolder.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) && IsLink(wideLink))
        return true;
    // Wine 8's CreateSymbolicLinkW answers success and makes nothing; a Unix symbolic link, which
    // Wine lists as a folder link, stands in for it. Wine starts a Unix program as any other.
    const std::string unixLink = UnixName(wideLink), unixFolder = UnixName(wideFolder);
    if (unixLink.empty() || unixFolder.empty()) return false;
    std::wstring command = Utf16("Z:\\bin\\ln -s \"" + unixFolder + "\" \"" + unixLink + "\"");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(L"Z:\\bin\\ln", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        return false;
    // Wine gives no handle of a Unix process to wait on: the link itself is waited for.
    if (started.hProcess) CloseHandle(started.hProcess);
    if (started.hThread) CloseHandle(started.hThread);
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(10))
        if (IsLink(wideLink)) return true;
    return false;
}
