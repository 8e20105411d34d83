// Colours as the program's designs give them: an RGB value, or a system
// colour index with the high byte 0xFF, resolved when painting.
#pragma once

#include <windows.h>

#include <cstdint>

using TColor = std::uint32_t;

constexpr TColor SystemColor(int index)
{
    return 0xFF000000u | static_cast<std::uint32_t>(index);
}

constexpr TColor clLime = 0x0000FF00;  // RGB(0, 255, 0): "equals the current state"
constexpr TColor clWhite = 0x00FFFFFF;
constexpr TColor clGray = 0x00808080;
constexpr TColor clMaroon = 0x00000080;
constexpr TColor clYellow = 0x0000FFFF;
constexpr TColor clBlack = 0x00000000;
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);

inline COLORREF ColorToRGB(TColor color)
{
    return (color & 0xFF000000u) == 0xFF000000u ? GetSysColor(static_cast<int>(color & 0xFF)) : color;
}
