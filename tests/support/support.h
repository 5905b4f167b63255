// Small conveniences for tests that work with real files and programs under Wine. Texts and
// paths are UTF-8, as in the program; they meet the system through its wide calls.
#pragma once

#include <string>
#include <vector>

// UTF-8 as UTF-16 and back (an invalid sequence becomes U+FFFD).
std::wstring Utf16(const std::string& utf8);
std::string Utf8(const std::wstring& utf16);

// The encodings a settings file comes in.
enum class FileEncoding { Ansi, Utf8, Utf8Mark, Utf16Le, Utf16Be };
// The UTF-8 text as a file's bytes in that encoding, with its byte-order mark where it has one
// (Ansi: the system's code page).
std::string EncodeFile(const std::string& utf8, FileEncoding encoding);
// The file's bytes as UTF-8 text, read in that encoding (its mark, if any, dropped).
std::string DecodeFile(const std::string& bytes, FileEncoding encoding);

// Full path of a program built beside the running test program (all exes share one folder).
std::string BuiltProgram(const char* name);

// A fresh, uniquely named folder under the system's temporary folder (or under parent),
// removed with all its contents when the object goes away.
class TempFolder {
public:
    explicit TempFolder(const std::string& parent = "");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }
    // Path + "\" + relative.
    std::string operator/(const std::string& relative) const { return path_ + "\\" + relative; }

private:
    std::string path_;
};

bool WriteWholeFile(const std::string& path, const std::string& content);
// Empty when the file cannot be read.
std::string ReadWholeFile(const std::string& path);
bool FileExists(const std::string& path);
// Removes a folder and everything below it, at any depth (paths past 259 characters too); a
// folder link in it goes as a link, never what it leads to.
void RemoveTree(const std::string& path);
// Whether the tests run under Wine (its ntdll names its version).
bool UnderWine();
// Makes link a folder link (a symbolic link) to folder, and waits until it is there. False when
// it could not be made.
bool MakeFolderLink(const std::string& link, const std::string& folder);
// Makes the folder and every missing folder above it (an absolute path of any length).
void MakeFolders(const std::string& path);

// A text file's lines, each without its CR LF, a UTF-8 byte-order mark at its start dropped.
std::vector<std::string> FileLines(const std::string& content);

// A settings file's section: "[name]" and its lines (each ending in CR LF).
std::string Section(const std::string& name, const std::string& lines);

struct HWND__;
// The first visible window of the thread of that class whose caption begins with captionStart
// (a dialog box: "#32770"); null when there is none.
HWND__* ThreadWindow(unsigned long thread, const char* className, const char* captionStart);
