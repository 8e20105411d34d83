#include "wingui/label.h"

#include "wingui/form.h"

#include <windowsx.h>

#include <algorithm>

UINT AlignmentFormat(TAlignment alignment)
{
    switch (alignment) {
    case taRightJustify:
        return DT_RIGHT;
    case taCenter:
        return DT_CENTER;
    case taLeftJustify:
    default:
        return DT_LEFT;
    }
}

void TLabel::RegisterLabelClass(const char* className)
{
    // Static text to accessibility tools, and to the dialog manager, which
    // also names a field after the static text just before it.
    RegisterOwnClass(className, CS_DBLCLKS, "STATIC");
}

DWORD TLabel::LabelStyle(const ControlDesign& design) const
{
    return (showAccelChar_ ? 0 : SS_NOPREFIX) | ((design.options & coTabStop) ? SS_NOTIFY : 0);
}

TControl::CreateParams TLabel::Params(const ControlDesign& design) const
{
    RegisterLabelClass("TLabel");
    return {"TLabel", LabelStyle(design)};
}

void TLabel::AfterCreate(const ControlDesign& design)
{
    designSize_ = {design.width, design.height};
    if (design.options & coTransparent)
        transparent_ = true;
    if (design.options & coWordWrap)
        wordWrap_ = true;
    AdjustBounds();
}

void TLabel::SetAutoSize(bool autoSize)
{
    autoSize_ = autoSize;
    AdjustBounds();
}

SIZE TLabel::FittingSize(SIZE designSize, const std::string& caption) const
{
    RECT needed{0, 0, wordWrap_ ? designSize.cx : 0, 0};
    SelectInDC font(MeasuringDC(), FontHandle());
    DrawTextA(MeasuringDC(), caption.c_str(), static_cast<int>(caption.size()), &needed,
        DT_CALCRECT | DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0) | (showAccelChar_ ? 0 : DT_NOPREFIX));
    return {std::max<LONG>(designSize.cx, needed.right), std::max<LONG>(designSize.cy, needed.bottom)};
}

SIZE TLabel::CreationSize(const ControlDesign& design) const
{
    const SIZE designSize{design.width, design.height};
    return autoSize_ ? FittingSize(designSize, design.caption ? design.caption : "") : designSize;
}

void TLabel::AdjustBounds()
{
    if (!autoSize_ || !handle_)
        return;
    const SIZE size = FittingSize(designSize_, Text());
    RECT now;
    GetWindowRect(handle_, &now);
    if (now.right - now.left != size.cx || now.bottom - now.top != size.cy)
        SetWindowPos(handle_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TLabel::SetTransparent(bool transparent)
{
    if (transparent_ == transparent)
        return;
    transparent_ = transparent;
    Invalidate();
}

void TLabel::SetShowAccelChar(bool show)
{
    showAccelChar_ = show;
    // A "&" that marks no key is no mnemonic to the dialog manager either.
    const LONG style = GetWindowLongA(handle_, GWL_STYLE);
    SetWindowLongA(handle_, GWL_STYLE, show ? style & ~SS_NOPREFIX : style | SS_NOPREFIX);
    Invalidate();
}

void TLabel::SetAlignment(TAlignment alignment)
{
    if (alignment_ == alignment)
        return;
    alignment_ = alignment;
    Invalidate();
}

void TLabel::SetWordWrap(bool wordWrap)
{
    wordWrap_ = wordWrap;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetText(const std::string& text)
{
    if (Text() == text)
        return;
    SetWindowTextA(handle_, text.c_str());
    AdjustBounds();
    Invalidate();
}

HFONT TLabel::FontHandle() const
{
    return Form().FontHandle(Font());
}

void TLabel::PaintBackground(HDC dc)
{
    if (transparent_) {
        PaintParentBackground(handle_, dc);
        return;
    }
    RECT client;
    GetClientRect(handle_, &client);
    OwnedBrush brush(CreateSolidBrush(ControlColors(Color(), Font().color, true).background));
    FillRect(dc, &client, static_cast<HBRUSH>(brush.Get()));
}

Backdrop TLabel::Behind() const
{
    if (!transparent_)
        return Backdrop::Plain(Color());
    RECT area;
    GetClientRect(handle_, &area);
    MapWindowPoints(handle_, GetAncestor(handle_, GA_ROOT), reinterpret_cast<POINT*>(&area), 2);
    return Form().BackdropBehind(area);
}

COLORREF TLabel::CaptionColor() const
{
    if (!Enabled())
        return GetSysColor(COLOR_GRAYTEXT);
    if (!transparent_)
        return ControlColors(Color(), Font().color, true).text;
    return TextColorOver(Behind(), Font().color, true);
}

void TLabel::Paint(HDC dc)
{
    PaintBackground(dc);
    RECT client;
    GetClientRect(handle_, &client);
    SelectInDC font(dc, FontHandle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, CaptionColor());
    UINT format = AlignmentFormat(alignment_) | DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0)
        | (showAccelChar_ ? 0 : DT_NOPREFIX);
    // A text cut at a fixed width ends in "…", so that it shows it is cut.
    if (!autoSize_ && !wordWrap_)
        format |= DT_END_ELLIPSIS;
    const std::string caption = Text();
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &client, format);
    PaintFocus(dc);
}

bool TLabel::TextCut() const
{
    if (autoSize_ || wordWrap_)
        return false;
    RECT client;
    GetClientRect(handle_, &client);
    return TextWidth(Text()) > client.right;
}

void TLabel::PaintFocus(HDC dc)
{
    if (GetFocus() != handle_)
        return;
    RECT client;
    GetClientRect(handle_, &client);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    DrawFocusRect(dc, &client);
}

void TLabel::MouseMove(int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(this, x, y);
}

void TLabel::MouseButton(UINT message, LPARAM position)
{
    const int x = GET_X_LPARAM(position);
    const int y = GET_Y_LPARAM(position);
    TMouseButton button = mbLeft;
    if (message == WM_RBUTTONDOWN || message == WM_RBUTTONUP || message == WM_RBUTTONDBLCLK)
        button = mbRight;
    else if (message == WM_MBUTTONDOWN || message == WM_MBUTTONUP || message == WM_MBUTTONDBLCLK)
        button = mbMiddle;

    switch (message) {
    case WM_LBUTTONDBLCLK:
        // The second press of a double click: no click follows its release.
        clickPending_ = false;
        Fire(OnDblClick, this);
        break;
    case WM_LBUTTONDOWN:
        clickPending_ = true;
        break;
    case WM_LBUTTONUP: {
        RECT client;
        GetClientRect(handle_, &client);
        const POINT at{x, y};
        const bool click = clickPending_ && PtInRect(&client, at);
        clickPending_ = false;
        if (OnMouseUp)
            OnMouseUp(this, button, x, y);
        if (click)
            Fire(OnClick, this);
        return;
    }
    }
    const bool pressed = message != WM_RBUTTONUP && message != WM_MBUTTONUP;
    const TMouseEvent& event = pressed ? OnMouseDown : OnMouseUp;
    if (event)
        event(this, button, x, y);
}

LRESULT TLabel::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PaintDC paint(handle_);
        Paint(paint.Get());
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;  // painting covers the whole label
    case WM_NCHITTEST:
        return HTCLIENT;  // the system's static text lets the mouse through
    case WM_ENABLE:
        Invalidate();
        return 0;
    case WM_SETFOCUS:
        // The keyboard learns the whole of a cut caption as the mouse does.
        if (TextCut())
            Form().ShowFocusHint(*this);
        Invalidate();
        return 0;
    case WM_KILLFOCUS:
        Form().HideFocusHint();
        Invalidate();
        return 0;
    case WM_KEYDOWN:
        // A label that takes the focus (a link) is pressed as a button is.
        if (wParam == VK_SPACE) {
            Fire(OnClick, this);
            return 0;
        }
        break;
    case WM_MOUSEMOVE:
        MouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        MouseButton(message, lParam);
        return 0;
    case WM_RBUTTONUP:
        MouseButton(message, lParam);
        break;  // the default handling asks for the popup menu
    case WM_SETCURSOR:
        if (cursor_) {
            ::SetCursor(cursor_);
            return TRUE;
        }
        break;
    }
    return CallDefault(message, wParam, lParam);
}
