// A text label drawn by the program itself, so that it can be transparent
// over whatever its window paints behind it.
#pragma once

#include "ui/base/controls.h"

#include <functional>

class TLabel : public TControl {
public:
    TNotifyEvent OnClick;
    std::function<void(int x, int y)> OnMouseMove;

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool show);
    void SetWordWrap(bool wordWrap);
    // DT_LEFT, DT_CENTER or DT_RIGHT.
    UINT Alignment() const { return alignment_; }
    void SetCursor(HCURSOR cursor) { cursor_ = cursor; }
    void SetText(const std::string& text) override;

    // Grows the label to its caption when the caption does not fit: text of
    // the same design can measure a pixel wider on another system.
    void SetAutoSize(bool autoSize);

protected:
    CreateParams Params(const ControlDesign& design) const override;
    void AfterCreate(const ControlDesign& design) override;
    void AdjustBounds();
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void Paint(HDC dc);
    virtual void MouseMove(int x, int y);
    // The window behind, or the label's colour when it is not transparent.
    void PaintBackground(HDC dc);
    HFONT FontHandle() const;

private:
    bool transparent_ = false;
    bool showAccelChar_ = true;
    bool wordWrap_ = false;
    UINT alignment_ = DT_LEFT;
    HCURSOR cursor_ = nullptr;
    bool autoSize_ = true;
    SIZE designSize_{};
};
