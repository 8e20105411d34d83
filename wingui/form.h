// A top-level window of the program: registered under its design name,
// created from its design, with its controls as members. Messages reach
// virtual handlers; every failure stops at this boundary in the stop box.
#pragma once

#include "wingui/controls.h"
#include "wingui/font.h"
#include "wingui/gdi.h"
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

struct FormDesign {
    const char* className;
    const char* caption;
    DWORD style;
    int left, top;  // for TPosition::Designed
    int clientWidth, clientHeight;
    FontSpec font;
    TPosition position = TPosition::Designed;
    DWORD exStyle = 0;
    HMENU menu = nullptr;  // the menu bar, owned by the window from now on
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
    HFONT FontHandle(const FontSpec& spec);

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

    // Gives the control a tooltip that shows its current hint.
    void AddHintTool(TControl& control);
    // Tells the tooltip of a mouse message for one of the window's controls.
    void RelayToTooltip(const MSG& message);

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
    // Makes `order` the tab order (and stacking order) of those controls.
    static void SetTabOrder(std::initializer_list<TControl*> order);

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

    HWND handle_ = nullptr;

private:
    friend void PaintParentBackground(HWND control, HDC dc);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void PlaceWindow(int left, int top, HWND owner);

    FontSpec font_;
    TPosition position_ = TPosition::Designed;
    std::vector<std::pair<FontSpec, OwnedFont>> fonts_;
    HWND tooltip_ = nullptr;
    int nextControlId_ = 100;
    bool modal_ = false;
    bool everShown_ = false;
    int modalResult_ = mrNone;
};

// Paints the background of the window that holds `control` into `dc`, as if
// `dc` were the control's own: what transparent controls draw over.
void PaintParentBackground(HWND control, HDC dc);
