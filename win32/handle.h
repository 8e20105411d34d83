// Owners of Windows handles, so that nothing leaks on any path: kernel
// objects, GDI objects, menus, keyboard shortcuts and device contexts.
#pragma once

#include <windows.h>

#include <utility>

template <typename H, BOOL(WINAPI* Close)(H)> class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H handle)
        : handle_(handle)
    {
    }
    UniqueHandle(UniqueHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, H{}))
    {
    }
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

using Handle = UniqueHandle<HANDLE, CloseHandle>;

inline BOOL WINAPI DeleteGdiObject(HGDIOBJ object)
{
    return DeleteObject(object);
}

using OwnedFont = UniqueHandle<HGDIOBJ, DeleteGdiObject>;
using OwnedBrush = UniqueHandle<HGDIOBJ, DeleteGdiObject>;
using OwnedBitmap = UniqueHandle<HGDIOBJ, DeleteGdiObject>;
using OwnedMenu = UniqueHandle<HMENU, DestroyMenu>;
using OwnedIcon = UniqueHandle<HICON, DestroyIcon>;
using OwnedAccelerators = UniqueHandle<HACCEL, DestroyAcceleratorTable>;
// A memory device context of CreateCompatibleDC.
using OwnedDC = UniqueHandle<HDC, DeleteDC>;
