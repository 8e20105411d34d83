// A flat tool-bar button with an image. Its hint is also its window text,
// so that a screen reader or a test can read it; a right click opens its
// popup menu.
#pragma once

#include "ui/base/controls.h"

class TSpeedButton : public TControl {
public:
    TNotifyEvent OnClick;
    void SetImage(HICON image) { image_ = image; }
    void SetPopupMenu(HMENU menu) { popupMenu_ = menu; }
    void SetHint(const std::string& hint) override;
    void Command(WORD code) override;
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    // Opens the popup menu at a screen position; its commands go to the window.
    bool ContextPopup(POINT at) override;

protected:
    CreateParams Params(const ControlDesign& design) const override;

private:
    HICON image_ = nullptr;
    HMENU popupMenu_ = nullptr;
};
