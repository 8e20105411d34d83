#include "wingui/speed_button.h"

#include "wingui/form.h"

TControl::CreateParams TSpeedButton::Params(const ControlDesign&) const
{
    return {"BUTTON", BS_OWNERDRAW};
}

void TSpeedButton::SetImage(int iconId)
{
    // Loaded at the size the button shows it: Windows takes the icon's image
    // of that size where the icon has one and scales the nearest once, here,
    // rather than at every paint. Refused, the button shows no image.
    imageSize_ = Form().Scaled(16);
    image_.Reset(static_cast<HICON>(LoadImageA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconId), IMAGE_ICON, imageSize_, imageSize_, LR_DEFAULTCOLOR)));
}

void TSpeedButton::SetHint(const std::string& hint, const std::string& afterName)
{
    TControl::SetHint(hint);
    // A button's text is read with "&" marking its key: a file named R&D
    // would make D a key that clicks the button. Written with each "&"
    // doubled, the text reads as the hint and no key is taken.
    std::string text = name_.empty() ? std::string() : name_ + ": ";
    for (char c : name_.empty() ? hint : afterName) {
        text += c;
        if (c == '&')
            text += '&';
    }
    SetWindowTextA(handle_, text.c_str());
}

void TSpeedButton::Command(WORD code)
{
    // The second of two quick clicks comes as a double click: a click all the same.
    if (code == BN_CLICKED || code == BN_DOUBLECLICKED)
        Fire(OnClick, this);
}

void TSpeedButton::DrawItem(const DRAWITEMSTRUCT& item)
{
    RECT face = item.rcItem;
    FillRect(item.hDC, &face, GetSysColorBrush(COLOR_BTNFACE));
    const bool pressed = item.itemState & ODS_SELECTED;
    if (pressed)
        DrawEdge(item.hDC, &face, BDR_SUNKENOUTER, BF_RECT);
    if (item.itemState & ODS_FOCUS) {
        RECT focus = face;
        InflateRect(&focus, -2, -2);
        DrawFocusRect(item.hDC, &focus);
    }
    if (!image_)
        return;
    const int shift = pressed ? 1 : 0;
    const int size = imageSize_;
    const int left = (face.right - face.left - size) / 2 + shift;
    const int top = (face.bottom - face.top - size) / 2 + shift;
    if (item.itemState & ODS_DISABLED)
        DrawStateA(item.hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(image_.Get()), 0, left, top, size, size,
            DST_ICON | DSS_DISABLED);
    else
        DrawIconEx(item.hDC, left, top, image_.Get(), size, size, 0, nullptr, DI_NORMAL);
}
