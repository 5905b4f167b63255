// Small conveniences for tests that work with real files and programs under Wine.
#pragma once

#include <string>

// Full path of a program built beside the running test program (all exes share one folder).
std::string BuiltProgram(const char* name);

// A fresh, uniquely named folder under the system's temporary folder, removed with all its
// contents when the object goes away.
class TempFolder {
public:
    TempFolder();
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
// Removes a folder and everything below it.
void RemoveTree(const std::string& path);
