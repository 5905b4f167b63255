// Scoped owners for system handles: one handle each, released on every path out of the routine
// or the record that holds it.
#pragma once

#include <windows.h>

// One owner for every kind of handle: the kind's traits say which value means "none" (NULL for
// most, INVALID_HANDLE_VALUE for files, searches and snapshots) and how the value is let go.
// The owner moves (the source is left empty) and never copies.
template <typename Traits> class Owner {
public:
    using Type = typename Traits::Type;

    Owner() = default;
    explicit Owner(Type value) : value_(value) {}
    ~Owner() { Reset(); }
    Owner(Owner&& other) noexcept : value_(other.Detach()) {}
    Owner& operator=(Owner&& other) noexcept
    {
        if (this != &other) Reset(other.Detach());
        return *this;
    }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;

    Type Get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::Empty(); }
    void Reset(Type value = Traits::Empty())
    {
        if (value_ != Traits::Empty()) Traits::Close(value_);
        value_ = value;
    }
    // Hands the value over to the caller, who then owns it.
    Type Detach()
    {
        Type value = value_;
        value_ = Traits::Empty();
        return value;
    }

private:
    Type value_ = Traits::Empty();
};

// Traits of a kind whose "none" is null.
template <typename Value, void (*Free)(Value)> struct NullEmpty {
    using Type = Value;
    static Type Empty() { return nullptr; }
    static void Close(Type value) { Free(value); }
};
// Traits of a kind whose "none" is INVALID_HANDLE_VALUE (a null never comes back from it).
template <void (*Free)(HANDLE)> struct InvalidEmpty {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type value) { Free(value); }
};

namespace owner_close {
inline void Handle(HANDLE handle) { CloseHandle(handle); }
inline void Search(HANDLE search) { FindClose(search); }
inline void Key(HKEY key) { RegCloseKey(key); }
inline void Block(BYTE* block) { GlobalFree(block); }
inline void Global(HGLOBAL memory) { GlobalFree(memory); }
inline void MemoryDC(HDC dc) { DeleteDC(dc); }
template <typename Object> void GdiObject(Object object) { DeleteObject(object); }
inline void Menu(HMENU menu) { DestroyMenu(menu); }
template <typename Block> void Heap(Block* block) { HeapFree(GetProcessHeap(), 0, block); }
}  // namespace owner_close

// Processes, threads, jobs (OpenProcess, CreateProcess, CreateJobObject, OpenThread): none is null.
using ScopedHandle = Owner<NullEmpty<HANDLE, owner_close::Handle>>;
// Files opened by CreateFile and tool-help snapshots: none is INVALID_HANDLE_VALUE.
using ScopedFile = Owner<InvalidEmpty<owner_close::Handle>>;
using ScopedSnapshot = Owner<InvalidEmpty<owner_close::Handle>>;
// FindFirstFile searches: none is INVALID_HANDLE_VALUE.
using ScopedFind = Owner<InvalidEmpty<owner_close::Search>>;
// Registry keys.
using ScopedKey = Owner<NullEmpty<HKEY, owner_close::Key>>;
// Fixed memory blocks (GlobalAlloc with GMEM_FIXED or GPTR), used through their address.
using ScopedGlobalBlock = Owner<NullEmpty<BYTE*, owner_close::Block>>;
// Movable memory (GlobalAlloc with GMEM_MOVEABLE), used through its handle.
using ScopedGlobal = Owner<NullEmpty<HGLOBAL, owner_close::Global>>;
// Blocks of the process heap (HeapAlloc, through HeapBlockOf), used through their address.
template <typename Block> using ScopedHeap = Owner<NullEmpty<Block*, owner_close::Heap<Block>>>;
template <typename Block> Block* HeapBlockOf(size_t bytes, DWORD flags = 0)
{
    return static_cast<Block*>(HeapAlloc(GetProcessHeap(), flags, bytes ? bytes : 1));
}
// Menus (CreatePopupMenu, CreateMenu) that no window owns.
using ScopedMenu = Owner<NullEmpty<HMENU, owner_close::Menu>>;

// Memory device contexts (CreateCompatibleDC).
using ScopedMemoryDC = Owner<NullEmpty<HDC, owner_close::MemoryDC>>;
// GDI objects made by the program: bitmaps, brushes, fonts.
using ScopedBitmap = Owner<NullEmpty<HBITMAP, owner_close::GdiObject<HBITMAP>>>;
using ScopedBrush = Owner<NullEmpty<HBRUSH, owner_close::GdiObject<HBRUSH>>>;
using ScopedFont = Owner<NullEmpty<HFONT, owner_close::GdiObject<HFONT>>>;

// COM interface pointers: one reference, released when the owner goes.
template <typename Interface> struct ComTraits {
    using Type = Interface*;
    static Type Empty() { return nullptr; }
    static void Close(Type pointer) { pointer->Release(); }
};
template <typename Interface> using ScopedCom = Owner<ComTraits<Interface>>;

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
