// Finding a program to start or to look for by its text, including, for the 32-bit build on
// a 64-bit system, the native system folder that the system hides from a 32-bit process.
#pragma once

#include <windows.h>

#include <cstdint>

struct FoundProgram {
    DWORD length;  // of the found path in bytes: 0 when not found, the capacity or more when it did not fit
    DWORD error;   // why the search failed (the first search's error), when it did
    bool native;   // found only with the system folder redirection off
};

// SearchPathW in the standard order, ".exe" added to a name without extension; program and
// the found path are UTF-8, and a path longer than TextUnitLimit units does not fit. A 32-bit
// process on a 64-bit system that finds nothing searches once more with the redirection off,
// so a program that lives only in the native system folder is found as a 64-bit shell would
// find it; the path then reads as that shell would write it.
FoundProgram SearchProgram(const char* program, char* path, DWORD capacity);

// The kind of program a found path holds (see exe_type.h), read through the view the search
// found it in.
uint32_t ExeTypeOf(const char* path, bool native);

// While it lives, a 32-bit process on a 64-bit system sees the native system folder (its
// redirection is off) when native is true; otherwise it changes nothing. Nothing that may load
// a library belongs in its scope: the library would come from the native folder.
class NativeFolderView {
public:
    explicit NativeFolderView(bool native);
    ~NativeFolderView();
    NativeFolderView(const NativeFolderView&) = delete;
    NativeFolderView& operator=(const NativeFolderView&) = delete;

private:
    PVOID previous_ = nullptr;
    bool off_ = false;
};
