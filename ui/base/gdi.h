// Small owners for GDI and kernel handles, so nothing leaks on any path.
#pragma once

#include <windows.h>

#include <utility>

template <typename H, BOOL(WINAPI* Close)(H)> class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, H{})) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        Reset(std::exchange(other.handle_, H{}));
        return *this;
    }
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    H Get() const { return handle_; }
    explicit operator bool() const { return handle_ != H{} && handle_ != INVALID_HANDLE_VALUE; }
    void Reset(H handle = H{})
    {
        if (*this)
            Close(handle_);
        handle_ = handle;
    }
    H Release() { return std::exchange(handle_, H{}); }
    H* Put()
    {
        Reset();
        return &handle_;
    }

private:
    H handle_{};
};

inline BOOL WINAPI DeleteGdiObject(HGDIOBJ object) { return DeleteObject(object); }
inline BOOL WINAPI DeleteMenuHandle(HMENU menu) { return DestroyMenu(menu); }

using Handle = UniqueHandle<HANDLE, CloseHandle>;
using OwnedFont = UniqueHandle<HGDIOBJ, DeleteGdiObject>;
using OwnedBrush = UniqueHandle<HGDIOBJ, DeleteGdiObject>;
using OwnedBitmap = UniqueHandle<HGDIOBJ, DeleteGdiObject>;
using OwnedMenu = UniqueHandle<HMENU, DeleteMenuHandle>;

// Selects an object into a device context for the lifetime of the holder.
class SelectInDC {
public:
    SelectInDC(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectInDC() { SelectObject(dc_, old_); }
    SelectInDC(const SelectInDC&) = delete;
    SelectInDC& operator=(const SelectInDC&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

class PaintDC {
public:
    explicit PaintDC(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
    ~PaintDC() { EndPaint(window_, &paint_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};
