// A text label drawn by the program itself, so that it can be transparent
// over whatever its window paints behind it. Like the framework's label it
// reports clicks, double clicks, button presses and releases and mouse
// moves, and opens its popup menu on a right click.
#pragma once

#include "wingui/controls.h"
#include "wingui/scheme.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TMouseButton { mbLeft, mbRight, mbMiddle };

using TMouseEvent = std::function<void(TComponent* Sender, TMouseButton Button, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TComponent* Sender, int X, int Y)>;

// The DrawText flag of an alignment: DT_LEFT, DT_RIGHT or DT_CENTER.
UINT AlignmentFormat(TAlignment alignment);

class TLabel : public TControl {
public:
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool show);
    void SetWordWrap(bool wordWrap);
    TAlignment Alignment() const { return alignment_; }
    // Repaints only when the alignment really changes.
    void SetAlignment(TAlignment alignment);
    void SetCursor(HCURSOR cursor) { cursor_ = cursor; }
    void SetText(const std::string& text) override;

    // Grows the label to its caption when the caption does not fit: text of
    // the same design can measure a pixel wider on another system.
    void SetAutoSize(bool autoSize);
    // The caption is wider than the label and ends in "…".
    bool TextCut() const;

protected:
    CreateParams Params(const ControlDesign& design) const override;
    void AfterCreate(const ControlDesign& design) override;
    // Made at once as large as its caption needs, not resized afterwards.
    SIZE CreationSize(const ControlDesign& design) const override;
    void AdjustBounds();
    // The design's size, grown to what `caption` needs in the label's font.
    SIZE FittingSize(SIZE designSize, const std::string& caption) const;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void Paint(HDC dc);
    virtual void MouseMove(int x, int y);
    // The window behind, or the label's colour when it is not transparent.
    void PaintBackground(HDC dc);
    // What the caption stands on: the window behind a transparent label,
    // the label's own colour otherwise.
    Backdrop Behind() const;
    // The colour of the caption: the font's, moved where need be to one that
    // reads on what lies behind the label (see scheme.h); the scheme's grey
    // while disabled.
    COLORREF CaptionColor() const;
    // The focus rectangle of a label that takes the focus (a link), while it has it.
    void PaintFocus(HDC dc);
    HFONT FontHandle() const;
    // Registers the label's own window class: static text that takes double
    // clicks and paints itself.
    static void RegisterLabelClass(const char* className);
    // The static style of a label of that design.
    DWORD LabelStyle(const ControlDesign& design) const;

private:
    void MouseButton(UINT message, LPARAM position);

    bool transparent_ = false;
    bool showAccelChar_ = true;
    bool wordWrap_ = false;
    TAlignment alignment_ = taLeftJustify;
    HCURSOR cursor_ = nullptr;
    bool autoSize_ = true;
    bool clickPending_ = false;  // pressed here, not yet released
    SIZE designSize_{};
};
