// A label with a three-dimensional look: one or two shifted copies of the
// caption in shade colours are drawn before the caption itself. It also
// tells when the mouse pointer leaves it.
#pragma once

#include "wingui/label.h"

#include <cstdint>

enum T3DEffect : std::uint8_t { Normal3d, Resit3d, Raised3d, Shadowed3d };

class TmyLabel3d : public TLabel {
public:
    TmyLabel3d();

    TNotifyEvent OnMouseOut;

    T3DEffect AStyle3D() const { return style3D_; }
    void SetAStyle3D(T3DEffect style);
    TColor AShadeRightBottom() const { return shadeRightBottom_; }
    void SetAShadeRightBottom(TColor color);
    TColor AShadeLeftTop() const { return shadeLeftTop_; }
    // Ignored while AShadeLTSet holds the colour at white.
    void SetAShadeLeftTop(TColor color);
    int AHShadeOffSet() const { return hShadeOffset_; }
    void SetAHShadeOffSet(int offset);
    int AVShadeOffSet() const { return vShadeOffset_; }
    void SetAVShadeOffSet(int offset);
    bool AShadeLTSet() const { return shadeLTSet_; }
    void SetAShadeLTSet(bool set);

    void DoMouseOut();
    // Draws the caption with its shades into `rect` of `dc`.
    void DrawText3D(HDC dc, RECT rect, UINT format);

protected:
    CreateParams Params(const ControlDesign& design) const override;
    void Paint(HDC dc) override;
    void MouseMove(int x, int y) override;

private:
    void Changed();
    // Whether the caption, in that colour, is drawn without its shades.
    bool Flat(COLORREF caption) const;

    T3DEffect style3D_ = Normal3d;
    TColor shadeRightBottom_ = clGray;
    TColor shadeLeftTop_ = clWhite;
    TColor savedShadeLeftTop_ = clWhite;
    int hShadeOffset_ = 5;
    int vShadeOffset_ = -5;
    bool shadeLTSet_ = false;
};
