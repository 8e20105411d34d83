// A flat tool-bar button with an image. Its hint is also its window text,
// so that a screen reader or a test can read it, written so that no key
// presses the button; a right click opens its popup menu.
#pragma once

#include "wingui/controls.h"

class TSpeedButton : public TControl {
public:
    TNotifyEvent OnClick;
    void SetImage(HICON image) { image_ = image; }
    void SetHint(const std::string& hint) override;
    void Command(WORD code) override;
    void DrawItem(const DRAWITEMSTRUCT& item) override;

protected:
    CreateParams Params(const ControlDesign& design) const override;

private:
    HICON image_ = nullptr;
};
