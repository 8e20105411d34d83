// What the tests of every user share: the connection, the texts, and the
// colours of a window as the screen shows them.
#pragma once

#include "tests/e2e/e2e_fixture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <set>

namespace everyone {

inline const NetConnection kLan{"LAN", false, "192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.1"};
inline const char kPrompt[] = "Vyberte připojení, se kterým chcete pracovat:";
inline const char kDoma[] = "[Nastavení]\r\nIP=10.0.0.7\r\nmaska=255.0.0.0\r\nrucne=1\r\nauto=0\r\n";

// The colours of a window's client area as the screen shows them.
class Pixels {
public:
    explicit Pixels(HWND window)
    {
        const RECT client = e2e::ClientRect(window);
        width_ = client.right;
        height_ = client.bottom;
        POINT origin{0, 0};
        ClientToScreen(window, &origin);
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        BITMAPINFO format{};
        format.bmiHeader.biSize = sizeof format.bmiHeader;
        format.bmiHeader.biWidth = width_;
        format.bmiHeader.biHeight = -height_;
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width_, height_, screen, origin.x, origin.y, SRCCOPY);
        GdiFlush();
        const auto* rows = static_cast<const DWORD*>(bits);
        for (int i = 0; i < width_ * height_; ++i)
            pixels_.push_back(RGB((rows[i] >> 16) & 0xFF, (rows[i] >> 8) & 0xFF, rows[i] & 0xFF));
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
    }
    COLORREF At(int x, int y) const { return pixels_[static_cast<std::size_t>(y * width_ + x)]; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    int width_ = 0, height_ = 0;
    std::vector<COLORREF> pixels_;
};

inline std::string Hex(COLORREF color)
{
    char text[16];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(color), GetGValue(color), GetBValue(color));
    return text;
}

}  // namespace everyone
