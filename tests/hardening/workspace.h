// A test folder for hostile runs: it may hold paths beyond MAX_PATH, files with any bytes of
// the code page in their names, read-only and locked files, and it can be compared with an
// earlier snapshot of itself, so a run is shown to have touched nothing but its target.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "support/support.h"

// What a change to one entry would alter.
struct EntryState {
    DWORD attributes = 0;
    uint64_t size = 0;
    uint64_t lastWrite = 0;    // files only: a folder's time moves with its entries
    uint64_t contentHash = 0;  // files only; 0 when the file cannot be read (held without sharing)
    bool operator==(const EntryState&) const = default;
};

// Every entry below a root, by its path relative to the root (ANSI, as the product sees it).
using TreeSnapshot = std::map<std::string, EntryState>;

class Workspace {
public:
    Workspace() = default;
    // Removes what the ANSI removal of TempFolder cannot reach: paths beyond MAX_PATH,
    // read-only folders.
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    const std::string& Path() const { return folder_.Path(); }
    std::string operator/(const std::string& relative) const { return folder_ / relative; }
    const TempFolder& Folder() const { return folder_; }

    // Makes every level of the relative folder path (any length).
    bool MakeFolders(const std::string& relative) const;
    // Writes a file at a relative path of any length, making its folders.
    bool Write(const std::string& relative, const std::string& content) const;
    // Files (not folders) below relative, as relative paths, with their contents.
    std::map<std::string, std::string> Files(const std::string& relative) const;

    TreeSnapshot Snapshot() const;

private:
    TempFolder folder_;
};

// Wide path with the long-path prefix, from an ANSI path.
std::wstring LongPath(const std::string& ansi);

// The entries that differ between the two snapshots (added, removed or changed), except those
// at or below one of the allowed relative paths.
std::vector<std::string> ChangesOutside(const TreeSnapshot& before, const TreeSnapshot& after,
                                        const std::vector<std::string>& allowed);
