// The controls the three windows are built from. Each is a member of its
// window, created from one row of the window's design table, and behaves the
// way the windows rely on: setting a text or a check state runs the control's
// handler only when the value really changes, whoever changes it.
#pragma once

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

    TColor Color() const { return color_; }
    // Repaints only when the colour really changes.
    void SetColor(TColor color);
    const std::string& Hint() const { return hint_; }
    virtual void SetHint(const std::string& hint) { hint_ = hint; }
    const FontSpec& Font() const { return font_; }

    // Messages that Windows sends to the parent about this control.
    virtual void Command(WORD /*code*/) { }
    virtual HBRUSH ControlColor(HDC dc, UINT message);
    virtual void DrawItem(const DRAWITEMSTRUCT& /*item*/) { }
    // The menu that a right click or the menu key opens over the control;
    // its commands go to the window. Not owned; null for none.
    HMENU PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(HMENU menu) { popupMenu_ = menu; }
    // Opens the popup menu at a screen position; true when there is one.
    bool ContextPopup(POINT at);

protected:
    struct CreateParams {
        const char* className;
        DWORD style;
        DWORD exStyle = 0;
    };
    virtual CreateParams Params(const ControlDesign& design) const = 0;
    virtual TColor InitialColor() const { return clBtnFace; }
    // Controls of the program's own window classes see their messages here.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT CallDefault(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void AfterCreate(const ControlDesign& /*design*/) { }
    // The size the window is made with; the font is known by then.
    virtual SIZE CreationSize(const ControlDesign& design) const { return {design.width, design.height}; }
    // Asks for a repaint; not before the window has been shown, which paints
    // it whole (under Wine each request is a round trip to the server).
    void Invalidate();
    static void RegisterOwnClass(const char* className, UINT classStyle = 0);

    HWND handle_ = nullptr;

private:
    static LRESULT CALLBACK OwnClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    TForm* form_ = nullptr;
    int id_ = 0;
    TColor color_ = clBtnFace;
    OwnedBrush brush_;
    std::string hint_;
    FontSpec font_;
    HMENU popupMenu_ = nullptr;
};

class TEdit : public TControl {
public:
    TNotifyEvent OnChange;
    // Runs OnChange when the text differs from what the field holds.
    void SetText(const std::string& text) override;
    void Command(WORD code) override;
    HBRUSH ControlColor(HDC dc, UINT message) override;

protected:
    CreateParams Params(const ControlDesign& design) const override;
    TColor InitialColor() const override { return clWindow; }

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
};

// Radio buttons and check boxes keep their own check state, so that a change
// made by the program runs the same handler as a click.
class TCheckControl : public TControl {
public:
    TNotifyEvent OnClick;
    bool Checked() const { return checked_; }
    virtual void SetChecked(bool checked) = 0;

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
};

class TCheckBox : public TCheckControl {
public:
    // Runs OnClick whenever the state changes.
    void SetChecked(bool checked) override;
    void Command(WORD code) override;

protected:
    CreateParams Params(const ControlDesign& design) const override;
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
