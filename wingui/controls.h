// The controls the three windows are built from. Each is a member of its
// window, created from one row of the window's design table, and behaves the
// way the windows rely on: setting a text or a check state runs the control's
// handler only when the value really changes, whoever changes it.
#pragma once

#include "wingui/accessible.h"
#include "wingui/colors.h"
#include "wingui/component.h"
#include "wingui/font.h"
#include "wingui/gdi.h"
#include "wingui/window_object.h"

#include <windows.h>

#include <string>

class TForm;
class TControl;

enum ControlOption : unsigned {
    coNone = 0,
    coBold = 1u << 0,     // the parent's font, bold
    coHidden = 1u << 1,   // created invisible
    coDefault = 1u << 2,  // the default push button: Enter presses it
    coTabStop = 1u << 3,
    coGroup = 1u << 4,     // first control of a group for arrow-key moves
    coShowHint = 1u << 5,  // has a tooltip with its hint
    // Labels only.
    coTransparent = 1u << 6,  // the window shows through
    coWordWrap = 1u << 7,     // long captions wrap at the label's width
};

// One row of a window's design table.
struct ControlDesign {
    TControl* control;
    TControl* parent;  // nullptr: the window itself
    const char* caption;
    int left, top, width, height;
    unsigned options = coNone;
    const FontSpec* font = nullptr;  // nullptr: the parent's font
};

class TControl : public TComponent, protected WindowObject {
public:
    TControl()
        : WindowObject(WindowKind::Control)
    {
    }
    ~TControl() override;

    // Creates the control's window as the row describes.
    void Create(TForm& form, const ControlDesign& design, int id);
    static TControl* FromHandle(HWND window);

    HWND Handle() const { return handle_; }
    TForm& Form() const { return *form_; }
    int Id() const { return id_; }

    std::string Text() const;
    virtual void SetText(const std::string& text);
    bool Enabled() const { return IsWindowEnabled(handle_) != FALSE; }
    void SetEnabled(bool enabled);
    bool Visible() const { return IsWindowVisible(handle_) != FALSE; }
    void SetVisible(bool visible);
    void SetFocus() { ::SetFocus(handle_); }
    // Whether Tab stops at the control.
    void SetTabStop(bool tabStop);

    // Where the control stands, in its parent's client coordinates.
    RECT Bounds() const;
    void SetBounds(const RECT& bounds);
    // The width of a single line of text in the control's font.
    int TextWidth(const std::string& text) const;

    TColor Color() const { return color_; }
    // Repaints only when the colour really changes.
    void SetColor(TColor color);
    const std::string& Hint() const { return hint_; }
    virtual void SetHint(const std::string& hint) { hint_ = hint; }
    const FontSpec& Font() const { return font_; }

    // Messages that Windows sends to the parent about this control.
    virtual void Command(WORD /*code*/) { }
    // Sets the context's colours for the control's text (the scheme's way,
    // see scheme.h) and gives the brush of its background.
    virtual HBRUSH ControlColor(HDC dc, UINT message);
    virtual void DrawItem(const DRAWITEMSTRUCT& /*item*/) { }
    // The menu that a right click or the menu key opens over the control;
    // its commands go to the window. Not owned; null for none.
    HMENU PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(HMENU menu) { popupMenu_ = menu; }
    // Opens the popup menu at a screen position; true when there is one.
    bool ContextPopup(POINT at);

    // What a screen reader learns of the control beyond Windows' standard
    // answer for its class: a name of its own (for a control whose caption
    // does not say what it is), a description, a role.
    const AccessibleOverrides& Accessible() const { return accessible_; }
    void SetAccessibleName(const std::string& name);
    // A listening screen reader is told of a change.
    void SetAccessibleDescription(const std::string& description);
    void SetAccessibleRole(long role);

protected:
    struct CreateParams {
        const char* className;
        DWORD style;
        DWORD exStyle = 0;
    };
    virtual CreateParams Params(const ControlDesign& design) const = 0;
    virtual TColor InitialColor() const { return clBtnFace; }
    // Controls of the program's own window classes, and subclassed ones, see
    // their messages here.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // What the class does with a message: Windows' default, or the system
    // control's own handling for a superclassed or subclassed control.
    LRESULT CallDefault(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void AfterCreate(const ControlDesign& /*design*/) { }
    // The size the window is made with; the font is known by then.
    virtual SIZE CreationSize(const ControlDesign& design) const { return {design.width, design.height}; }
    // Asks for a repaint; not before the window has been shown, which paints
    // it whole (under Wine each request is a round trip to the server).
    void Invalidate();
    // A context to measure text on; null while Windows refuses one.
    static HDC MeasuringDC();
    // A brush of that colour, kept until another colour is asked for; null
    // while Windows refuses one.
    HBRUSH Brush(COLORREF color);
    // Registers a window class of the program's own. With `baseClass` it is a
    // superclass of that system class: the system control's procedure does
    // whatever the control does not do itself, and accessibility tools know
    // the control as one of that class.
    static void RegisterOwnClass(const char* className, UINT classStyle = 0, const char* baseClass = nullptr);
    // A control of a system class sees its messages in WindowProc from now on.
    void Subclass();
    // Subclasses a control of a system class that is not yet; those of the
    // program's own classes see their messages already.
    void SeeOwnMessages();

    HWND handle_ = nullptr;

private:
    static LRESULT CALLBACK OwnClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The procedure a class of ours was made from; null for none.
    static WNDPROC BaseProcOf(const char* className);

    TForm* form_ = nullptr;
    WNDPROC defaultProc_ = nullptr;  // null: DefWindowProcA
    bool subclassed_ = false;
    int id_ = 0;
    TColor color_ = clBtnFace;
    OwnedBrush brush_;
    COLORREF brushColor_ = 0;
    std::string hint_;
    FontSpec font_;
    HMENU popupMenu_ = nullptr;
    AccessibleOverrides accessible_;
};

class TEdit : public TControl {
public:
    TNotifyEvent OnChange;
    // Runs OnChange when the text differs from what the field holds.
    void SetText(const std::string& text) override;
    void SelectAll() { SendMessageA(handle_, EM_SETSEL, 0, -1); }
    void Command(WORD code) override;

protected:
    CreateParams Params(const ControlDesign& design) const override;
    TColor InitialColor() const override { return clWindow; }
    void AfterCreate(const ControlDesign& design) override;
    // Windows draws a disabled field's text in its own grey, whatever colour
    // it is asked for: on lime that cannot be read. A disabled field paints
    // its text itself, in a colour that reads.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool settingText_ = false;
};

class TButton : public TControl {
public:
    TNotifyEvent OnClick;
    void Command(WORD code) override;
    void Click();

protected:
    CreateParams Params(const ControlDesign& design) const override;
    void AfterCreate(const ControlDesign& design) override;
    // A push button with the keyboard answers Enter, however the keyboard
    // got there: the dialog manager makes it the default button only when
    // Tab brings the focus, not when the program or a click puts it there.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool designedDefault_ = false;
};

// Radio buttons and check boxes keep their own check state, so that a change
// made by the program runs the same handler as a click.
class TCheckControl : public TControl {
public:
    TNotifyEvent OnClick;
    bool Checked() const { return checked_; }
    virtual void SetChecked(bool checked) = 0;

    // Widens the control to the left as far as its box and its text need,
    // where the design's width is short of them (a font that measures wider
    // than the design's): its right edge stays where the design put it.
    void FitTextToTheLeft();

protected:
    // Shows the new state; false when it was the state already.
    bool ChangeState(bool checked);
    void Clicked();

private:
    bool checked_ = false;
};

class TRadioButton : public TCheckControl {
public:
    // Checking runs OnClick and unchecks the siblings; unchecking runs nothing.
    void SetChecked(bool checked) override;
    void Command(WORD code) override;

protected:
    CreateParams Params(const ControlDesign& design) const override;
    void AfterCreate(const ControlDesign& design) override;
    // The arrow that moves the focus to a button of the group chooses it,
    // as in Windows' own radio groups; the dialog manager only moves the
    // focus to a button that checks itself by hand.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class TCheckBox : public TCheckControl {
public:
    // Runs OnClick whenever the state changes.
    void SetChecked(bool checked) override;
    void Command(WORD code) override;

protected:
    CreateParams Params(const ControlDesign& design) const override;
    void AfterCreate(const ControlDesign& design) override;
    // A box without a caption shows its focus around the box itself: the
    // system draws it around the caption alone.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class TListBox : public TControl {
public:
    TNotifyEvent OnDblClick;
    void Clear();
    void Add(const std::string& item);
    int Count() const;
    int ItemIndex() const;
    void SetItemIndex(int index);
    std::string Item(int index) const;
    void Command(WORD code) override;

protected:
    CreateParams Params(const ControlDesign& design) const override;
    TColor InitialColor() const override { return clWindow; }
};

// A status bar without panels: its text is its one simple text.
class TStatusBar : public TControl {
public:
    void SetText(const std::string& text) override;

protected:
    CreateParams Params(const ControlDesign& design) const override;
    void AfterCreate(const ControlDesign& design) override;
};
