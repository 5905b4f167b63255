// Scoped owners for system handles: one handle each, not copyable, released on every path
// out of the routine that opened it.
#pragma once

#include <windows.h>

template <typename Handle, BOOL(WINAPI* Release)(Handle)> class Scoped {
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
    // Hands the handle over to the caller, who then owns it.
    Handle Detach()
    {
        Handle handle = handle_;
        handle_ = Handle();
        return handle;
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
// Fixed memory blocks (GlobalAlloc with GMEM_FIXED).
inline BOOL WINAPI FreeGlobalBlock(BYTE* block) { return GlobalFree(block) == nullptr; }
using ScopedGlobalBlock = Scoped<BYTE*, FreeGlobalBlock>;

// Memory device contexts (CreateCompatibleDC).
using ScopedMemoryDC = Scoped<HDC, DeleteDC>;
// GDI objects made by the program: bitmaps, brushes, fonts.
template <typename Object> BOOL WINAPI DeleteGdiObject(Object object) { return DeleteObject(object); }
using ScopedBitmap = Scoped<HBITMAP, DeleteGdiObject<HBITMAP>>;
using ScopedBrush = Scoped<HBRUSH, DeleteGdiObject<HBRUSH>>;
using ScopedFont = Scoped<HFONT, DeleteGdiObject<HFONT>>;

// A window's device context (GetDC, or the screen's with no window), released with ReleaseDC.
class ScopedWindowDC {
public:
    explicit ScopedWindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~ScopedWindowDC()
    {
        if (dc_) ReleaseDC(window_, dc_);
    }
    ScopedWindowDC(const ScopedWindowDC&) = delete;
    ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint to EndPaint.
class ScopedPaint {
public:
    explicit ScopedPaint(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~ScopedPaint()
    {
        if (dc_) EndPaint(window_, &paint_);
    }
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;
    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    PAINTSTRUCT paint_ = {};
    HDC dc_;
};

// An object selected into a device context; the previous one is put back when it goes out of
// scope. Selecting nothing (a null object) selects nothing and puts nothing back.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~ScopedSelect()
    {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;
    // False when the object could not be selected.
    explicit operator bool() const { return previous_ && previous_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};
