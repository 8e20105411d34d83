#include "wingui/form.h"

#include "win32/os_error.h"
#include "wingui/application.h"
#include "wingui/menu.h"
#include "wingui/placement.h"
#include "wingui/scheme.h"

#include <commctrl.h>

#include <algorithm>

namespace {

// The screen's pixels per inch, asked once; 96 while Windows cannot say.
int ScreenPixelsPerInch()
{
    static int pixelsPerInch = 0;
    if (pixelsPerInch == 0) {
        if (HDC screen = GetDC(nullptr)) {
            pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
            ReleaseDC(nullptr, screen);
        }
        if (pixelsPerInch <= 0)
            return 96;
    }
    return pixelsPerInch;
}

RECT WindowRectFor(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, bool hasMenu)
{
    RECT rect{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&rect, style, hasMenu, exStyle);
    return rect;
}

}  // namespace

TForm::~TForm()
{
    if (handle_ && IsWindow(handle_))
        DestroyWindow(handle_);
}

HFONT TForm::FontHandle(const FontSpec& spec)
{
    for (const auto& [known, font] : fonts_) {
        if (known == spec)
            return static_cast<HFONT>(font.Get());
    }
    OwnedFont font(CreateFontA(-Scaled(spec.height), 0, 0, 0, spec.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
        EASTEUROPE_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, spec.quality, DEFAULT_PITCH | FF_DONTCARE,
        spec.face));
    // Refused, the text shows in the system's font meanwhile, and the font is
    // asked for again next time.
    if (!font)
        return nullptr;
    const HFONT made = static_cast<HFONT>(font.Get());
    fonts_.emplace_back(spec, std::move(font));
    return made;
}

void TForm::CreateForm(const FormDesign& design, HWND owner)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    if (!GetClassInfoA(instance, design.className, &windowClass)) {
        windowClass = {};
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = instance;
        windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = design.className;
        if (!RegisterClassA(&windowClass))
            RaiseRefusal("třídu okna");
    }
    font_ = design.font;
    pixelsPerInch_ = design.scaledWithDpi ? ScreenPixelsPerInch() : 96;
    const int clientWidth = Scaled(design.clientWidth);
    const int clientHeight = Scaled(design.clientHeight);
    const DWORD exStyle = design.exStyle | WS_EX_CONTROLPARENT;
    const RECT outer = WindowRectFor(clientWidth, clientHeight, design.style, exStyle, design.menu);
    handle_ = CreateWindowExA(exStyle, design.className, design.caption, design.style, design.left, design.top,
        outer.right - outer.left, outer.bottom - outer.top, owner, design.menu, instance, this);
    if (!handle_)
        RaiseRefusal("okno");
    position_ = design.position;
    // A menu bar that wraps takes client height: the design's client size is
    // what counts, so the frame grows by whatever is missing.
    RECT client;
    GetClientRect(handle_, &client);
    if (client.right != clientWidth || client.bottom != clientHeight) {
        RECT frame;
        GetWindowRect(handle_, &frame);
        SetWindowPos(handle_, nullptr, 0, 0, frame.right - frame.left + clientWidth - client.right,
            frame.bottom - frame.top + clientHeight - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    PlaceWindow(design.left, design.top, owner);
}

void TForm::PlaceWindow(int left, int top, HWND owner)
{
    RECT window;
    GetWindowRect(handle_, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (position_ == TPosition::OwnerCenter && owner)
        GetWindowRect(owner, &area);
    if (position_ != TPosition::Designed) {
        left = area.left + (area.right - area.left - width) / 2;
        top = area.top + (area.bottom - area.top - height) / 2;
    }
    // Centred over a window near the screen's edge, or grown with the DPI,
    // a window would reach beyond its work area; it cannot be resized.
    const RECT whole = WholeInWorkArea({left, top, left + width, top + height});
    left = whole.left;
    top = whole.top;
    if (left != window.left || top != window.top)
        SetWindowPos(handle_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::CreateControls(std::initializer_list<ControlDesign> design, Stacking stacking)
{
    for (const ControlDesign& row : design) {
        const int id = (row.options & coDefault) ? IDOK : nextControlId_++;
        ControlDesign scaled = row;
        scaled.left = Scaled(row.left);
        scaled.top = Scaled(row.top);
        scaled.width = Scaled(row.width);
        scaled.height = Scaled(row.height);
        row.control->Create(*this, scaled, id);
        if (stacking == Stacking::LastInFront)
            SetWindowPos(row.control->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void TForm::SetTabOrder(std::initializer_list<TControl*> order)
{
    HWND previous = HWND_TOP;
    for (TControl* control : order) {
        SetWindowPos(control->Handle(), previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = control->Handle();
    }
}

void TForm::KeepCaptionsClear(std::initializer_list<CaptionedControl> pairs) const
{
    // A caption is as wide as its text at least (a label grows to it); the
    // gap leaves room for a 3-D caption's shade.
    const int gap = Scaled(4);
    for (const CaptionedControl& pair : pairs) {
        const LONG clear = pair.caption->Bounds().right + gap;
        RECT bounds = pair.control->Bounds();
        if (bounds.left >= clear)
            continue;
        bounds.left = std::min(clear, bounds.right);
        pair.control->SetBounds(bounds);
    }
}

void TForm::AddHintTool(TControl& control)
{
    // Made with the first control that has a hint: the chooser has none.
    if (!tooltip_) {
        tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, handle_, nullptr, GetModuleHandleA(nullptr),
            nullptr);
        if (!tooltip_)
            RaiseRefusal("okno s nápovědou");
    }
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    // The mouse messages come from the message loop (RelayToTooltip): a
    // subclassed control would look up its subclass in a window property on
    // every message, a round trip to Wine's server each time.
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = handle_;
    tool.uId = reinterpret_cast<UINT_PTR>(control.Handle());
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

namespace {

// The tooltip's tool for the control with the keyboard: not a window
// handle, so that it is apart from each control's own.
const UINT_PTR kFocusToolId = 1;

}  // namespace

void TForm::ShowFocusHint(const TControl& control)
{
    if (!tooltip_ || control.Hint().empty())
        return;
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = handle_;
    tool.uId = kFocusToolId;
    std::string text = control.Hint();
    tool.lpszText = text.data();
    if (!focusToolAdded_) {
        focusToolAdded_ = SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
        if (!focusToolAdded_)
            return;
    } else {
        SendMessageA(tooltip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    RECT under;
    GetWindowRect(control.Handle(), &under);
    // A name of hundreds of characters wraps rather than leave the screen.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromRect(&under, MONITOR_DEFAULTTONEAREST), &monitor))
        SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, monitor.rcWork.right - under.left);
    SendMessageA(tooltip_, TTM_TRACKPOSITION, 0, MAKELPARAM(under.left, under.bottom));
    SendMessageA(tooltip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void TForm::HideFocusHint()
{
    if (!focusToolAdded_)
        return;
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = handle_;
    tool.uId = kFocusToolId;
    SendMessageA(tooltip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

void TForm::TrackPopup(HMENU menu, POINT at, bool fromKeyboard)
{
    keyboardMenu_.Track(handle_, menu, at, TPM_LEFTALIGN | TPM_RIGHTBUTTON, fromKeyboard);
}

void TForm::RelayToTooltip(const MSG& message)
{
    if (tooltip_)
        SendMessageA(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
}

std::string TForm::Text() const
{
    char caption[256] = {};
    GetWindowTextA(handle_, caption, sizeof caption);
    return caption;
}

void TForm::Show()
{
    // Painted when the queue is next idle, as any window is: a window shown
    // just before a wait (the chooser's report) paints during the wait
    // instead of holding it up.
    ShowWindow(handle_, SW_SHOW);
}

void TForm::ComeToFront(HWND focus)
{
    if (!IsWindowVisible(handle_) || !IsWindowEnabled(handle_))
        return;
    SetForegroundWindow(handle_);
    if (focus && IsChild(handle_, focus) && IsWindowVisible(focus) && IsWindowEnabled(focus))
        SetFocus(focus);
}

void TForm::Hide()
{
    ShowWindow(handle_, SW_HIDE);
}

int TForm::ShowModal(HWND owner)
{
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled)
        EnableWindow(owner, FALSE);
    modal_ = true;
    modalResult_ = mrNone;
    if (position_ == TPosition::OwnerCenter) {
        RECT window;
        GetWindowRect(handle_, &window);
        PlaceWindow(window.left, window.top, owner);
    }
    Show();
    SetActiveWindow(handle_);
    PostMessageA(handle_, WM_TAMARKO_ACTIVATE, 0, 0);
    while (modalResult_ == mrNone && !Application.Terminated() && Application.HandleMessage()) { }
    // The owner comes back first, so that activation stays in the program.
    if (ownerWasEnabled)
        EnableWindow(owner, TRUE);
    Hide();
    modal_ = false;
    if (ownerWasEnabled)
        SetActiveWindow(owner);
    return modalResult_;
}

void TForm::ColorSchemeChanged()
{
    RefreshColorScheme();
    // The common controls (the status bar) repaint only when told.
    for (HWND child = GetWindow(handle_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageA(child, WM_SYSCOLORCHANGE, 0, 0);
    RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void TForm::SaveFocus()
{
    HWND focus = GetFocus();
    if (focus && IsChild(handle_, focus))
        savedFocus_ = focus;
}

void TForm::RestoreFocus()
{
    HWND focus = savedFocus_;
    if (!focus || !IsWindow(focus) || !IsChild(handle_, focus) || !IsWindowVisible(focus) || !IsWindowEnabled(focus))
        focus = DefaultFocus();
    if (focus)
        SetFocus(focus);
}

HWND TForm::DefaultFocus() const
{
    HWND first = GetNextDlgTabItem(handle_, nullptr, FALSE);
    return first && IsChild(handle_, first) ? first : nullptr;
}

void TForm::PaintBackground(HDC dc, const RECT& area)
{
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
}

Backdrop TForm::BackdropBehind(const RECT&) const
{
    return Backdrop::Plain(clBtnFace);
}

LRESULT TForm::DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(handle_, message, wParam, lParam);
}

LRESULT TForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (lParam) {
            if (TControl* control = TControl::FromHandle(reinterpret_cast<HWND>(lParam)))
                control->Command(HIWORD(wParam));
        } else {
            MenuCommand(LOWORD(wParam));
        }
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        if (TControl* control = TControl::FromHandle(reinterpret_cast<HWND>(lParam)))
            return reinterpret_cast<LRESULT>(control->ControlColor(reinterpret_cast<HDC>(wParam), message));
        break;
    case WM_MEASUREITEM:
        if (MeasureMenuImage(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)))
            return TRUE;
        break;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (DrawMenuImage(*item))
            return TRUE;
        if (TControl* control = TControl::FromHandle(item->hwndItem)) {
            control->DrawItem(*item);
            return TRUE;
        }
        break;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == TTN_GETDISPINFOA) {
            auto* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
            static std::string tipText;
            TControl* control = TControl::FromHandle(reinterpret_cast<HWND>(header->idFrom));
            tipText = control ? control->Hint() : std::string();
            info->lpszText = tipText.data();
            return 0;
        }
        break;
    }
    case WM_MENUSELECT:
        keyboardMenu_.Selected(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
        break;
    case WM_CONTEXTMENU:
        if (TControl* control = TControl::FromHandle(reinterpret_cast<HWND>(wParam))) {
            if (control->ContextPopup({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}))
                return 0;
        }
        break;
    case WM_CLOSE:
        if (CloseQuery()) {
            if (modal_)
                modalResult_ = mrCancel;
            else
                DestroyWindow(handle_);
        }
        return 0;
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(handle_, &client);
        PaintBackground(reinterpret_cast<HDC>(wParam), client);
        return 1;
    }
    case WM_TAMARKO_ACTIVATE:
        FormActivate();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            SaveFocus();
        } else if (!HIWORD(wParam)) {
            RestoreFocus();
            return 0;
        }
        break;
    case WM_SETFOCUS:
        RestoreFocus();
        return 0;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        ColorSchemeChanged();
        break;
    case WM_SHOWWINDOW:
        everShown_ = everShown_ || wParam != FALSE;
        break;
    }
    return DefaultHandling(message, wParam, lParam);
}

LRESULT CALLBACK TForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* form = static_cast<TForm*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        form->handle_ = window;
        form->AttachTo(window);
    }
    TForm* form = FromHandle(window);
    if (!form)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        DetachFrom(window);
        form->handle_ = nullptr;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return Guarded([&] { return form->HandleMessage(message, wParam, lParam); }, LRESULT{0});
}

void PaintParentBackground(HWND control, HDC dc)
{
    HWND root = GetAncestor(control, GA_ROOT);
    RECT area;
    GetClientRect(control, &area);
    TForm* form = TForm::FromHandle(root);
    if (!form) {
        FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    MapWindowPoints(control, root, reinterpret_cast<POINT*>(&area), 2);
    POINT oldOrigin;
    OffsetViewportOrgEx(dc, -area.left, -area.top, &oldOrigin);
    form->PaintBackground(dc, area);
    SetViewportOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
}
