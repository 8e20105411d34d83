#include "wingui/controls.h"

#include "win32/os_error.h"
#include "wingui/application.h"
#include "wingui/form.h"
#include "wingui/scheme.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

TControl::~TControl()
{
    if (handle_ && IsWindow(handle_)) {
        // The system control's own procedure sees its end: it frees what it holds.
        if (subclassed_)
            SetWindowLongPtrA(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(defaultProc_));
        DetachFrom(handle_);
        DestroyWindow(handle_);
    }
}

namespace {

// The superclasses of the program and the system procedure each was made from.
std::vector<std::pair<std::string, WNDPROC>>& BaseProcs()
{
    static std::vector<std::pair<std::string, WNDPROC>> procs;
    return procs;
}

}  // namespace

WNDPROC TControl::BaseProcOf(const char* className)
{
    for (const auto& [name, proc] : BaseProcs()) {
        if (lstrcmpiA(name.c_str(), className) == 0)
            return proc;
    }
    return nullptr;
}

TControl* TControl::FromHandle(HWND window)
{
    return static_cast<TControl*>(Find(window, WindowKind::Control));
}

void TControl::Create(TForm& form, const ControlDesign& design, int id)
{
    form_ = &form;
    id_ = id;
    color_ = InitialColor();
    const CreateParams params = Params(design);
    // Overlapping neighbours (the radio buttons) must not paint over each other.
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | params.style;
    if (!(design.options & coHidden))
        style |= WS_VISIBLE;
    if (design.options & coTabStop)
        style |= WS_TABSTOP;
    if (design.options & coGroup)
        style |= WS_GROUP;
    font_ = design.font ? *design.font : (design.parent ? design.parent->Font() : form.FormFont());
    if (design.options & coBold)
        font_ = font_.Bold();
    HWND parent = design.parent ? design.parent->Handle() : form.Handle();
    const SIZE size = CreationSize(design);
    // Known before the first message: a superclass's procedure must see it.
    defaultProc_ = BaseProcOf(params.className);
    handle_ = CreateWindowExA(params.exStyle, params.className, design.caption ? design.caption : "", style,
        design.left, design.top, size.cx, size.cy, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        GetModuleHandleA(nullptr), this);
    if (!handle_)
        RaiseRefusal("okno");
    AttachTo(handle_);

    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(form.FontHandle(font_)), FALSE);
    if (design.options & coShowHint)
        form.AddHintTool(*this);
    AfterCreate(design);
}

std::string TControl::Text() const
{
    const int length = GetWindowTextLengthA(handle_);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(handle_, text.data(), length + 1)));
    return text;
}

void TControl::SetText(const std::string& text)
{
    if (Text() != text)
        SetWindowTextA(handle_, text.c_str());
}

void TControl::SetEnabled(bool enabled)
{
    EnableWindow(handle_, enabled);
}

void TControl::SetVisible(bool visible)
{
    ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE);
}

RECT TControl::Bounds() const
{
    RECT bounds;
    GetWindowRect(handle_, &bounds);
    MapWindowPoints(nullptr, GetParent(handle_), reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
}

void TControl::SetBounds(const RECT& bounds)
{
    SetWindowPos(handle_, nullptr, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
        SWP_NOZORDER | SWP_NOACTIVATE);
}

HDC TControl::MeasuringDC()
{
    // Text measures the same on a memory context as on a window's own, and a
    // window's context first asks Wine's server which part of the screen the
    // window may draw on: one context for every measurement of the run
    // (asked for again while Windows refuses it; meanwhile controls keep
    // their design's size).
    static OwnedDC dc;
    if (!dc)
        dc.Reset(CreateCompatibleDC(nullptr));
    return dc.Get();
}

void TControl::SetTabStop(bool tabStop)
{
    const LONG style = GetWindowLongA(handle_, GWL_STYLE);
    SetWindowLongA(handle_, GWL_STYLE, tabStop ? style | WS_TABSTOP : style & ~WS_TABSTOP);
}

int TControl::TextWidth(const std::string& text) const
{
    const HDC dc = MeasuringDC();
    if (!dc)
        return 0;
    const SelectInDC font(dc, form_->FontHandle(font_));
    RECT needed{0, 0, 0, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &needed, DT_CALCRECT | DT_SINGLELINE);
    return needed.right;
}

void TControl::SetColor(TColor color)
{
    if (color == color_)
        return;
    color_ = color;
    brush_.Reset();
    Invalidate();
}

void TControl::Invalidate()
{
    if (handle_ && form_ && form_->EverShown())
        InvalidateRect(handle_, nullptr, TRUE);
}

HBRUSH TControl::Brush(COLORREF color)
{
    if (!brush_ || brushColor_ != color) {
        brush_.Reset(CreateSolidBrush(color));
        brushColor_ = color;
    }
    return static_cast<HBRUSH>(brush_.Get());
}

HBRUSH TControl::ControlColor(HDC dc, UINT /*message*/)
{
    const PaintColors colors = ControlColors(color_, font_.color, Enabled());
    SetBkColor(dc, colors.background);
    SetTextColor(dc, colors.text);
    return Brush(colors.background);
}

bool TControl::ContextPopup(POINT at)
{
    if (!popupMenu_)
        return false;
    const bool fromKeyboard = at.x == -1 && at.y == -1;
    if (fromKeyboard) {  // under the control
        RECT control;
        GetWindowRect(handle_, &control);
        at = {control.left, control.bottom};
    }
    Form().TrackPopup(popupMenu_, at, fromKeyboard);
    return true;
}

LRESULT TControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallDefault(message, wParam, lParam);
}

LRESULT TControl::CallDefault(UINT message, WPARAM wParam, LPARAM lParam)
{
    return defaultProc_ ? CallWindowProcA(defaultProc_, handle_, message, wParam, lParam)
                        : DefWindowProcA(handle_, message, wParam, lParam);
}

void TControl::RegisterOwnClass(const char* className, UINT classStyle, const char* baseClass)
{
    WNDCLASSA existing;
    if (GetClassInfoA(GetModuleHandleA(nullptr), className, &existing))
        return;
    WNDCLASSA windowClass{};
    if (baseClass) {
        // The system control keeps its data in the window's extra bytes.
        if (!GetClassInfoA(nullptr, baseClass, &windowClass))
            RaiseRefusal("třídu okna");
        BaseProcs().emplace_back(className, windowClass.lpfnWndProc);
        windowClass.hbrBackground = nullptr;
        windowClass.lpszMenuName = nullptr;
        windowClass.cbClsExtra = 0;
    }
    windowClass.style = classStyle;
    windowClass.lpfnWndProc = OwnClassProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = className;
    if (!RegisterClassA(&windowClass))
        RaiseRefusal("třídu okna");
}

void TControl::SetAccessibleName(const std::string& name)
{
    accessible_.name = name;
    SeeOwnMessages();
}

void TControl::SetAccessibleDescription(const std::string& description)
{
    if (description == accessible_.description)
        return;
    accessible_.description = description;
    SeeOwnMessages();
    NotifyAccessibleDescriptionChange(handle_);
}

void TControl::SetAccessibleRole(long role)
{
    accessible_.role = role;
    SeeOwnMessages();
}

void TControl::SeeOwnMessages()
{
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(handle_, GWLP_WNDPROC)) != &TControl::OwnClassProc)
        Subclass();
}

void TControl::Subclass()
{
    defaultProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TControl::OwnClassProc)));
    subclassed_ = defaultProc_ != nullptr;
}

LRESULT CALLBACK TControl::OwnClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* control = static_cast<TControl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        control->handle_ = window;
        control->AttachTo(window);
    }
    TControl* control = FromHandle(window);
    if (!control) {
        // A superclass's window outliving its object still ends as its kind.
        char className[64] = {};
        GetClassNameA(window, className, sizeof className);
        const WNDPROC base = BaseProcOf(className);
        return base ? CallWindowProcA(base, window, message, wParam, lParam)
                    : DefWindowProcA(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY)
        DetachFrom(window);
    // A screen reader asks for the control's object: the standard one, with
    // what the program says of the control in its place.
    if (message == WM_GETOBJECT && !control->accessible_.Empty()) {
        const auto overridesOf = [](HWND asked) -> const AccessibleOverrides* {
            const TControl* found = FromHandle(asked);
            return found ? &found->accessible_ : nullptr;
        };
        if (const LRESULT answer = AnswerAccessibleObject(window, wParam, lParam, overridesOf))
            return answer;
    }
    return Guarded([&] { return control->WindowProc(message, wParam, lParam); }, LRESULT{0});
}

// ---- TEdit

TControl::CreateParams TEdit::Params(const ControlDesign&) const
{
    return {"EDIT", ES_AUTOHSCROLL | ES_LEFT, WS_EX_CLIENTEDGE};
}

void TEdit::SetText(const std::string& text)
{
    if (Text() == text)
        return;
    // Some systems report the change of a set text, some do not: the
    // handler runs here, once, either way.
    settingText_ = true;
    SetWindowTextA(handle_, text.c_str());
    settingText_ = false;
    Fire(OnChange, this);
}

void TEdit::Command(WORD code)
{
    if (code == EN_CHANGE && !settingText_)
        Fire(OnChange, this);
}

void TEdit::AfterCreate(const ControlDesign&)
{
    Subclass();
}

LRESULT TEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (Enabled())
        return CallDefault(message, wParam, lParam);
    switch (message) {
    case WM_ERASEBKGND:
        return 1;  // the paint fills the field
    case WM_PAINT: {
        PaintDC paint(handle_);
        const HDC dc = paint.Get();
        RECT client;
        GetClientRect(handle_, &client);
        const HBRUSH background = ControlColor(dc, WM_CTLCOLORSTATIC);
        FillRect(dc, &client, background ? background : GetSysColorBrush(COLOR_WINDOW));
        // Where the field itself puts its text: its formatting rectangle, from
        // the first character it shows.
        RECT text;
        SendMessageA(handle_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
        const auto first = static_cast<std::size_t>(SendMessageA(handle_, EM_GETFIRSTVISIBLELINE, 0, 0));
        const std::string shown = Text();
        SelectInDC font(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(handle_, WM_GETFONT, 0, 0)));
        SetBkMode(dc, TRANSPARENT);
        if (first < shown.size())
            DrawTextA(dc, shown.c_str() + first, static_cast<int>(shown.size() - first), &text,
                DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
        return 0;
    }
    }
    return CallDefault(message, wParam, lParam);
}

// ---- TButton

TControl::CreateParams TButton::Params(const ControlDesign& design) const
{
    return {"BUTTON", static_cast<DWORD>((design.options & coDefault) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON)};
}

void TButton::AfterCreate(const ControlDesign& design)
{
    designedDefault_ = (design.options & coDefault) != 0;
    Subclass();
}

LRESULT TButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // The dialog manager takes the default state from every button when Tab
    // moves the focus, the one it moves to included: the button with the
    // keys, and the window's designed default, keep it.
    if (message == BM_SETSTYLE && (wParam & BS_TYPEMASK) == BS_PUSHBUTTON
        && (designedDefault_ || GetFocus() == handle_))
        wParam = (wParam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_DEFPUSHBUTTON;
    const LRESULT result = CallDefault(message, wParam, lParam);
    const auto type = static_cast<DWORD>(GetWindowLongA(handle_, GWL_STYLE) & BS_TYPEMASK);
    if (message == WM_SETFOCUS && type != BS_DEFPUSHBUTTON)
        SendMessageA(handle_, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    else if (message == WM_KILLFOCUS && !designedDefault_ && type != BS_PUSHBUTTON)
        SendMessageA(handle_, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    return result;
}

void TButton::Command(WORD code)
{
    if (code == BN_CLICKED)
        Click();
}

void TButton::Click()
{
    Fire(OnClick, this);
}

// ---- TCheckControl

bool TCheckControl::ChangeState(bool checked)
{
    if (checked == checked_)
        return false;
    checked_ = checked;
    SendMessageA(handle_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    return true;
}

void TCheckControl::Clicked()
{
    Fire(OnClick, this);
}

void TCheckControl::FitTextToTheLeft()
{
    // Windows' box of 13 pixels and the gap before the text, grown with the
    // DPI as the design is; and a pixel either side of the text, where the
    // focus rectangle goes round it rather than over its last letter.
    const int needed = Form().Scaled(17) + TextWidth(Text()) + 2;
    RECT bounds = Bounds();
    if (bounds.right - bounds.left >= needed)
        return;
    bounds.left = bounds.right - needed;
    SetBounds(bounds);
}

// ---- TRadioButton

TControl::CreateParams TRadioButton::Params(const ControlDesign&) const
{
    return {"BUTTON", BS_RADIOBUTTON};
}

void TRadioButton::SetChecked(bool checked)
{
    if (!ChangeState(checked))
        return;
    // Tab reaches a group of radio buttons at its checked one.
    SetTabStop(checked);
    if (!checked)
        return;
    for (HWND sibling = GetWindow(GetParent(handle_), GW_CHILD); sibling; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        auto* radio = dynamic_cast<TRadioButton*>(FromHandle(sibling));
        if (radio && radio != this)
            radio->SetChecked(false);
    }
    Clicked();
}

void TRadioButton::AfterCreate(const ControlDesign&)
{
    Subclass();
}

LRESULT TRadioButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallDefault(message, wParam, lParam);
    if (message == WM_SETFOCUS && !Checked()) {
        // Only an arrow: the focus given back after a box, or by the
        // program, chooses nothing.
        for (int arrow : {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN}) {
            if (GetKeyState(arrow) & 0x8000) {
                SetChecked(true);
                break;
            }
        }
    }
    return result;
}

void TRadioButton::Command(WORD code)
{
    if (code == BN_CLICKED)
        SetChecked(true);
}

// ---- TCheckBox

TControl::CreateParams TCheckBox::Params(const ControlDesign&) const
{
    return {"BUTTON", BS_CHECKBOX};
}

void TCheckBox::SetChecked(bool checked)
{
    if (ChangeState(checked))
        Clicked();
}

void TCheckBox::AfterCreate(const ControlDesign& design)
{
    if (!design.caption || !*design.caption)
        Subclass();
}

LRESULT TCheckBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallDefault(message, wParam, lParam);
    if (message == WM_SETFOCUS || message == WM_KILLFOCUS) {
        InvalidateRect(handle_, nullptr, TRUE);
    } else if (message == WM_PAINT && GetFocus() == handle_) {
        if (HDC dc = GetDC(handle_)) {
            RECT client;
            GetClientRect(handle_, &client);
            const int box = GetSystemMetrics(SM_CXMENUCHECK);
            RECT focus{0, 0, std::min<LONG>(client.right, box + 4), client.bottom};
            DrawFocusRect(dc, &focus);
            ReleaseDC(handle_, dc);
        }
    }
    return result;
}

void TCheckBox::Command(WORD code)
{
    if (code == BN_CLICKED)
        SetChecked(!Checked());
}

// ---- TListBox

TControl::CreateParams TListBox::Params(const ControlDesign&) const
{
    // Strings declared as such can be read from outside, by screen readers and tests.
    return {"LISTBOX", LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL, WS_EX_CLIENTEDGE};
}

void TListBox::Clear()
{
    SendMessageA(handle_, LB_RESETCONTENT, 0, 0);
}

void TListBox::Add(const std::string& item)
{
    SendMessageA(handle_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

int TListBox::Count() const
{
    return static_cast<int>(SendMessageA(handle_, LB_GETCOUNT, 0, 0));
}

int TListBox::ItemIndex() const
{
    return static_cast<int>(SendMessageA(handle_, LB_GETCURSEL, 0, 0));
}

void TListBox::SetItemIndex(int index)
{
    SendMessageA(handle_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string TListBox::Item(int index) const
{
    const LRESULT length = SendMessageA(handle_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR)
        return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT copied
        = SendMessageA(handle_, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == LB_ERR ? 0 : static_cast<std::size_t>(copied));
    return text;
}

void TListBox::Command(WORD code)
{
    if (code == LBN_DBLCLK)
        Fire(OnDblClick, this);
}

// ---- TStatusBar

TControl::CreateParams TStatusBar::Params(const ControlDesign&) const
{
    return {STATUSCLASSNAMEA, CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER};
}

void TStatusBar::AfterCreate(const ControlDesign&)
{
    int wholeWidth = -1;
    SendMessageA(handle_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&wholeWidth));
    // A visual style (Wine's own) paints the bar in its light colour behind
    // the scheme's text colour, which a dark scheme makes white: the bar
    // keeps the scheme's colours, as every other control does. Only a
    // process that has uxtheme.dll themes the bar (Windows 2000 has none).
    using SetWindowTheme = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    if (const HMODULE themes = GetModuleHandleA("uxtheme.dll")) {
        const auto unthemed
            = reinterpret_cast<SetWindowTheme>(reinterpret_cast<void (*)()>(GetProcAddress(themes, "SetWindowTheme")));
        if (unthemed)
            unthemed(handle_, L" ", L" ");  // a style of no such name: none
    }
}

void TStatusBar::SetText(const std::string& text)
{
    if (Text() == text)
        return;
    SendMessageA(handle_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
    // What an apply is doing, and that it is done, is said only here: a
    // screen reader learns of it from the event.
    NotifyAccessibleNameChange(handle_);
}
