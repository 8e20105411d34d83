// Device contexts held for painting, measuring and selecting objects, given
// back on every path.
#pragma once

#include "win32/handle.h"

#include <windows.h>

// A window's device context, for measuring or reading it outside painting.
class WindowDC {
public:
    explicit WindowDC(HWND window)
        : window_(window)
        , dc_(GetDC(window))
    {
    }
    ~WindowDC()
    {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a device context for the lifetime of the holder.
class SelectInDC {
public:
    SelectInDC(HDC dc, HGDIOBJ object)
        : dc_(dc)
        , old_(SelectObject(dc, object))
    {
    }
    // Nothing to put back when the selection was refused.
    ~SelectInDC()
    {
        if (old_)
            SelectObject(dc_, old_);
    }
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
