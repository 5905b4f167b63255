// Scoped owners for system handles: one handle each, not copyable, released on every path
// out of the routine that opened it.
#pragma once

#include <windows.h>

template <typename Handle, BOOL(WINAPI* Release)(Handle)>
class Scoped {
public:
    Scoped() = default;
    explicit Scoped(Handle handle) : handle_(handle) {}
    ~Scoped() { Reset(); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;

    Handle Get() const { return handle_; }
    // Both "no handle" forms (NULL and INVALID_HANDLE_VALUE) count as empty.
    explicit operator bool() const { return handle_ && handle_ != reinterpret_cast<Handle>(INVALID_HANDLE_VALUE); }
    void Reset(Handle handle = Handle())
    {
        if (*this) Release(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = Handle();
};

// Kernel objects: processes, threads, files opened by CreateFile, tool-help snapshots.
using ScopedHandle = Scoped<HANDLE, CloseHandle>;
// FindFirstFile searches.
using ScopedFind = Scoped<HANDLE, FindClose>;
// Registry keys.
inline BOOL WINAPI CloseRegistryKey(HKEY key) { return RegCloseKey(key) == ERROR_SUCCESS; }
using ScopedKey = Scoped<HKEY, CloseRegistryKey>;
