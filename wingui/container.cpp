#include "wingui/container.h"

#include "wingui/form.h"

LRESULT TContainer::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
    case WM_CONTEXTMENU:  // names the clicked control; the default would name us
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        return SendMessageA(Form().Handle(), message, wParam, lParam);
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PaintDC paint(handle_);
        PaintParentBackground(handle_, paint.Get());
        Paint(paint.Get());
        return 0;
    }
    }
    return CallDefault(message, wParam, lParam);
}

TControl::CreateParams TCoolBar::Params(const ControlDesign&) const
{
    RegisterOwnClass("TCoolBar");
    return {"TCoolBar", WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
}

void TCoolBar::Paint(HDC dc)
{
    RECT client;
    GetClientRect(handle_, &client);
    DrawEdge(dc, &client, BDR_RAISEDINNER, BF_RECT);
}

TControl::CreateParams TGroupBox::Params(const ControlDesign&) const
{
    RegisterOwnClass("TGroupBox");
    return {"TGroupBox", WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
}

void TGroupBox::Paint(HDC dc)
{
    RECT client;
    GetClientRect(handle_, &client);
    SelectInDC font(dc, Form().FontHandle(Font()));
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    RECT frame = client;
    frame.top += metrics.tmHeight / 2;
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);

    const std::string caption = Text();
    SIZE extent;
    GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
    const int indent = Form().Scaled(8);
    RECT text{indent, 0, indent + extent.cx + 4, metrics.tmHeight};
    FillRect(dc, &text, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(Enabled() ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
}
