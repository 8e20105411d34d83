// Small owners for GDI objects and menus, so nothing leaks on any path.
#pragma once

#include "core/handle.h"

#include <windows.h>

inline BOOL WINAPI DeleteGdiObject(HGDIOBJ object)
{
    return DeleteObject(object);
}
inline BOOL WINAPI DeleteMenuHandle(HMENU menu)
{
    return DestroyMenu(menu);
}

using OwnedFont = UniqueHandle<HGDIOBJ, DeleteGdiObject>;
using OwnedBrush = UniqueHandle<HGDIOBJ, DeleteGdiObject>;
using OwnedBitmap = UniqueHandle<HGDIOBJ, DeleteGdiObject>;
using OwnedMenu = UniqueHandle<HMENU, DeleteMenuHandle>;

// Selects an object into a device context for the lifetime of the holder.
class SelectInDC {
public:
    SelectInDC(HDC dc, HGDIOBJ object)
        : dc_(dc)
        , old_(SelectObject(dc, object))
    {
    }
    ~SelectInDC() { SelectObject(dc_, old_); }
    SelectInDC(const SelectInDC&) = delete;
    SelectInDC& operator=(const SelectInDC&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

class PaintDC {
public:
    explicit PaintDC(HWND window)
        : window_(window)
    {
        dc_ = BeginPaint(window, &paint_);
    }
    ~PaintDC() { EndPaint(window_, &paint_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};
