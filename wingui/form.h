// A top-level window of the program: registered under its design name,
// created from its design, with its controls as members. Messages reach
// virtual handlers; every failure stops at this boundary in the stop box.
#pragma once

#include "wingui/controls.h"
#include "wingui/font.h"
#include "wingui/gdi.h"
#include "wingui/menu.h"
#include "wingui/scheme.h"
#include "wingui/window_object.h"

#include <windows.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2 };
enum class TPosition { Designed, ScreenCenter, OwnerCenter };

// Private messages of the program's windows.
enum : UINT {
    WM_TAMARKO_ACTIVATE = WM_APP + 1,  // the window's own activation handling, posted
};

// A window's design, in pixels of a 96-DPI screen: on a screen of more
// DPI the window and its controls grow with it (their sizes, positions and
// font heights times DPI/96), unless the design is kept at its pixels.
struct FormDesign {
    const char* className;
    const char* caption;
    DWORD style;
    int left, top;  // for TPosition::Designed; screen pixels, never scaled
    int clientWidth, clientHeight;
    FontSpec font;
    TPosition position = TPosition::Designed;
    DWORD exStyle = 0;
    HMENU menu = nullptr;  // the menu bar, owned by the window from now on
    bool scaledWithDpi = true;
};

class TForm : protected WindowObject {
public:
    virtual ~TForm();
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    HWND Handle() const { return handle_; }
    // The form behind one of the program's windows; nullptr for any other.
    static TForm* FromHandle(HWND window) { return static_cast<TForm*>(Find(window, WindowKind::Form)); }
    std::string Text() const;  // the caption
    const FontSpec& FormFont() const { return font_; }
    // The font of that design, its height grown with the screen's DPI as the
    // window's design is.
    HFONT FontHandle(const FontSpec& spec);
    // Pixels of the design on this screen.
    int Scaled(int designPixels) const { return MulDiv(designPixels, pixelsPerInch_, 96); }
    // The DPI the window's design is drawn at: the screen's, or 96.
    int DesignPixelsPerInch() const { return pixelsPerInch_; }
    // What lies behind that part of the client area, on which the text of
    // a transparent label drawn over it must read.
    virtual Backdrop BackdropBehind(const RECT& area) const;

    void Show();
    void Hide();
    bool Enabled() const { return IsWindowEnabled(handle_) != FALSE; }
    void SetEnabled(bool enabled) { EnableWindow(handle_, enabled); }
    // Makes the window the foreground window, with the keyboard focus on
    // `focus` when that is one of its usable controls: a console the program
    // started takes the activation and gives it to no one.
    void ComeToFront(HWND focus = nullptr);
    // Asks the window to close, which runs its close query.
    void Close() { SendMessageA(handle_, WM_CLOSE, 0, 0); }

    // Shows the window modally over `owner` and returns its modal result.
    int ShowModal(HWND owner);
    bool Modal() const { return modal_; }
    // Whether the window has been on screen: before that nothing of it
    // needs repainting, since it is painted whole when it is first shown.
    bool EverShown() const { return everShown_; }
    void SetModalResult(int result) { modalResult_ = result; }

    // Opens a popup menu of the window at a screen point, its commands going
    // to the window. From the keyboard it opens on its first usable item,
    // and the arrow keys pass over greyed items.
    void TrackPopup(HMENU menu, POINT at, bool fromKeyboard);

    // Gives the control a tooltip that shows its current hint.
    void AddHintTool(TControl& control);
    // Tells the tooltip of a mouse message for one of the window's controls.
    void RelayToTooltip(const MSG& message);
    // The tooltip a mouse would bring up over a control, shown under it
    // while it has the keyboard; hidden again by HideFocusHint.
    void ShowFocusHint(const TControl& control);
    void HideFocusHint();

protected:
    TForm()
        : WindowObject(WindowKind::Form)
    {
    }
    void CreateForm(const FormDesign& design, HWND owner = nullptr);
    // Creates the controls row by row, in the table's order. Each row lies
    // behind the ones before it, as Windows stacks new children, or in
    // front of them.
    enum class Stacking { FirstInFront, LastInFront };
    void CreateControls(std::initializer_list<ControlDesign> design, Stacking stacking = Stacking::FirstInFront);
    // Makes `order` the stacking order of those controls: the tab order of
    // the tab stops among them, and the order a screen reader reads them in.
    static void SetTabOrder(std::initializer_list<TControl*> order);
    // A caption and the control it names, side by side in one parent.
    struct CaptionedControl {
        TControl* caption;
        TControl* control;
    };
    // A caption never reaches the control it names: where its text measures
    // wider than the design allowed for (another system's font), the control
    // starts a little after it and keeps its right edge. Everything else
    // stays where the design put it.
    void KeepCaptionsClear(std::initializer_list<CaptionedControl> pairs) const;

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam);
    // Whether the window may close; the default allows it.
    virtual bool CloseQuery() { return true; }
    // Runs when a modal showing begins (after the window is visible).
    virtual void FormActivate() { }
    // Menu and accelerator commands.
    virtual void MenuCommand(int /*id*/) { }
    // Paints what lies behind the controls: labels are drawn over it.
    virtual void PaintBackground(HDC dc, const RECT& area);

    // The control that has the keyboard when the window is first activated:
    // the first tab stop.
    virtual HWND DefaultFocus() const;

    HWND handle_ = nullptr;

private:
    friend void PaintParentBackground(HWND control, HDC dc);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void PlaceWindow(int left, int top, HWND owner);
    // The keyboard goes back where it was when the window lost the
    // activation (to a message box, a dialog, the notification area), as a
    // dialog box does it.
    void SaveFocus();
    void RestoreFocus();
    // The high-contrast setting or the scheme's colours changed: everything
    // is painted anew with them.
    void ColorSchemeChanged();

    FontSpec font_;
    int pixelsPerInch_ = 96;  // the screen's, for a window that grows with it
    TPosition position_ = TPosition::Designed;
    std::vector<std::pair<FontSpec, OwnedFont>> fonts_;
    HWND tooltip_ = nullptr;
    bool focusToolAdded_ = false;
    KeyboardMenu keyboardMenu_;
    HWND savedFocus_ = nullptr;
    int nextControlId_ = 100;
    bool modal_ = false;
    bool everShown_ = false;
    int modalResult_ = mrNone;
};

// Paints the background of the window that holds `control` into `dc`, as if
// `dc` were the control's own: what transparent controls draw over.
void PaintParentBackground(HWND control, HDC dc);
