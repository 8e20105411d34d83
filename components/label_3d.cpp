#include "components/label_3d.h"

#include "core/contrast.h"
#include "wingui/form.h"

TmyLabel3d::TmyLabel3d()
{
    SetTransparent(true);
}

TControl::CreateParams TmyLabel3d::Params(const ControlDesign& design) const
{
    RegisterLabelClass("TmyLabel3d");
    return {"TmyLabel3d", LabelStyle(design)};
}

void TmyLabel3d::Changed()
{
    Invalidate();
}

void TmyLabel3d::SetAStyle3D(T3DEffect style)
{
    if (style == style3D_)
        return;
    style3D_ = style;
    Changed();
}

void TmyLabel3d::SetAShadeRightBottom(TColor color)
{
    if (color == shadeRightBottom_)
        return;
    shadeRightBottom_ = color;
    Changed();
}

void TmyLabel3d::SetAShadeLeftTop(TColor color)
{
    if (color == shadeLeftTop_ || shadeLTSet_)
        return;
    shadeLeftTop_ = color;
    Changed();
}

void TmyLabel3d::SetAHShadeOffSet(int offset)
{
    if (offset == hShadeOffset_)
        return;
    hShadeOffset_ = offset;
    Changed();
}

void TmyLabel3d::SetAVShadeOffSet(int offset)
{
    if (offset == vShadeOffset_)
        return;
    vShadeOffset_ = offset;
    Changed();
}

void TmyLabel3d::SetAShadeLTSet(bool set)
{
    if (set != shadeLTSet_) {
        shadeLTSet_ = set;
        if (set) {
            savedShadeLeftTop_ = shadeLeftTop_;
            shadeLeftTop_ = clWhite;
        } else {
            shadeLeftTop_ = savedShadeLeftTop_;
        }
    }
    Changed();
}

void TmyLabel3d::DoMouseOut()
{
    Fire(OnMouseOut, this);
}

void TmyLabel3d::Paint(HDC dc)
{
    PaintBackground(dc);
    RECT client;
    GetClientRect(handle_, &client);
    // Always wrapped and always from the top, whatever the label's own
    // layout settings say.
    DrawText3D(dc, client, AlignmentFormat(Alignment()) | DT_EXPANDTABS | DT_WORDBREAK);
    PaintFocus(dc);
}

void TmyLabel3d::DrawText3D(HDC dc, RECT rect, UINT format)
{
    // The caption is drawn whole, however long it is.
    const std::string caption = Text();
    if (!ShowAccelChar())
        format |= DT_NOPREFIX;
    SelectInDC font(dc, FontHandle());
    SetBkMode(dc, TRANSPARENT);

    const COLORREF captionColor = CaptionColor();
    const TColor first = style3D_ == Resit3d ? shadeLeftTop_ : shadeRightBottom_;
    const TColor second = style3D_ == Resit3d ? shadeRightBottom_ : shadeLeftTop_;
    auto drawShifted = [&](TColor color, int dx, int dy) {
        RECT shifted = rect;
        OffsetRect(&shifted, dx, dy);
        SetTextColor(dc, ColorToRGB(color));
        DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &shifted, format);
    };
    switch (Flat(captionColor) ? Normal3d : style3D_) {
    case Resit3d:
    case Raised3d:
        drawShifted(first, 1, 1);
        drawShifted(second, -1, -1);
        break;
    case Shadowed3d:
        drawShifted(first, hShadeOffset_, vShadeOffset_);
        break;
    case Normal3d:
        break;
    }
    drawShifted(captionColor, 0, 0);
}

bool TmyLabel3d::Flat(COLORREF caption) const
{
    // The shades engrave or raise dark text on a light face. Under high
    // contrast any shade blurs the text. On a face of the scheme darker than
    // its text (a dark scheme) a light shade one pixel off a light stroke
    // smears it, and a dark one would barely differ from the face: flat is
    // what reads. Over a background the design fixes (a picture) the
    // design's shades stay, as designed for it.
    if (HighContrast())
        return true;
    const Backdrop behind = Behind();
    return !behind.FixedByDesign() && RelativeLuminance(caption) > RelativeLuminance(ColorToRGB(behind.lightest));
}

void TmyLabel3d::MouseMove(int x, int y)
{
    // Holding the mouse from the first move over the label is what lets it
    // see the move that leaves it.
    if (GetCapture() != handle_)
        SetCapture(handle_);
    RECT client;
    GetClientRect(handle_, &client);
    if (GetCapture() == handle_ && (x < 0 || y < 0 || x > client.right || y > client.bottom)) {
        ReleaseCapture();
        DoMouseOut();
        return;
    }
    TLabel::MouseMove(x, y);
}
