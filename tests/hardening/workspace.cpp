#include "workspace.h"

namespace {

std::string Narrow(const std::wstring& wide)
{
    int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(size_t(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), int(wide.size()), text.data(), n, nullptr, nullptr);
    return text;
}

std::wstring Widen(const std::string& text)
{
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), int(text.size()), wide.data(), n);
    return wide;
}

uint64_t Join(DWORD high, DWORD low) { return uint64_t(high) << 32 | low; }

// FNV-1a over the file's bytes; 0 when it cannot be opened for reading.
uint64_t ContentHash(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    uint64_t hash = 0xcbf29ce484222325ull;
    std::vector<unsigned char> chunk(1 << 20);
    DWORD got = 0;
    while (ReadFile(file, chunk.data(), DWORD(chunk.size()), &got, nullptr) && got)
        for (DWORD i = 0; i < got; ++i) hash = (hash ^ chunk[i]) * 0x100000001b3ull;
    CloseHandle(file);
    return hash | 1;  // never 0, which means unreadable
}

// Calls visit(relative wide path, find data) for every entry below folder, parents first.
template <typename Visit> void Walk(const std::wstring& root, const std::wstring& relative, Visit&& visit)
{
    std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring child = relative.empty() ? name : relative + L"\\" + name;
        visit(child, found);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Walk(root, child, visit);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

std::wstring LongPath(const std::string& ansi) { return L"\\\\?\\" + Widen(ansi); }

Workspace::~Workspace() { RemoveTree(Utf8(LongPath(Path()))); }

bool Workspace::MakeFolders(const std::string& relative) const
{
    std::wstring path = LongPath(Path());
    std::wstring rest = Widen(relative);
    size_t at = 0;
    while (at < rest.size()) {
        size_t end = rest.find(L'\\', at);
        if (end == std::wstring::npos) end = rest.size();
        path += L"\\" + rest.substr(at, end - at);
        if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
        at = end + 1;
    }
    return true;
}

bool Workspace::Write(const std::string& relative, const std::string& content) const
{
    size_t slash = relative.find_last_of('\\');
    if (slash != std::string::npos && !MakeFolders(relative.substr(0, slash))) return false;
    HANDLE file = CreateFileW(LongPath(*this / relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, content.data(), DWORD(content.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == content.size();
}

std::map<std::string, std::string> Workspace::Files(const std::string& relative) const
{
    std::map<std::string, std::string> files;
    std::wstring root = LongPath(*this / relative);
    Walk(root, L"", [&](const std::wstring& child, const WIN32_FIND_DATAW& found) {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return;
        std::string content;
        HANDLE file = CreateFileW((root + L"\\" + child).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            char chunk[4096];
            DWORD got = 0;
            while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got) content.append(chunk, got);
            CloseHandle(file);
        }
        files[Narrow(child)] = content;
    });
    return files;
}

TreeSnapshot Workspace::Snapshot() const
{
    TreeSnapshot snapshot;
    std::wstring root = LongPath(Path());
    Walk(root, L"", [&](const std::wstring& child, const WIN32_FIND_DATAW& found) {
        EntryState state;
        state.attributes = found.dwFileAttributes;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            state.size = Join(found.nFileSizeHigh, found.nFileSizeLow);
            state.lastWrite = Join(found.ftLastWriteTime.dwHighDateTime, found.ftLastWriteTime.dwLowDateTime);
            state.contentHash = ContentHash(root + L"\\" + child);
        }
        snapshot[Narrow(child)] = state;
    });
    return snapshot;
}

std::vector<std::string> ChangesOutside(const TreeSnapshot& before, const TreeSnapshot& after,
                                        const std::vector<std::string>& allowed)
{
    auto isAllowed = [&](const std::string& path) {
        for (const std::string& prefix : allowed) {
            if (path.size() < prefix.size() ||
                CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, path.c_str(), int(prefix.size()), prefix.c_str(),
                               int(prefix.size())) != CSTR_EQUAL)
                continue;
            if (path.size() == prefix.size() || path[prefix.size()] == '\\') return true;
        }
        return false;
    };
    std::vector<std::string> changes;
    for (const auto& [path, state] : before) {
        auto now = after.find(path);
        if (now == after.end()) {
            if (!isAllowed(path)) changes.push_back("removed " + path);
        } else if (!(now->second == state) && !isAllowed(path)) {
            changes.push_back("changed " + path);
        }
    }
    for (const auto& [path, state] : after)
        if (!before.count(path) && !isAllowed(path)) changes.push_back("added " + path);
    return changes;
}
