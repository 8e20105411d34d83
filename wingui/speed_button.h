// A flat tool-bar button with an image. Its window text, which a screen
// reader reads as its name, is its hint, after the name that tells it from
// its like when it has one; written so that no key presses the button. A
// right click opens its popup menu.
#pragma once

#include "wingui/controls.h"

class TSpeedButton : public TControl {
public:
    TNotifyEvent OnClick;
    void SetImage(HICON image) { image_ = image; }
    // "Rychlé tlačítko 1": what the hint follows in the window text.
    void SetName(const std::string& name) { name_ = name; }
    void SetHint(const std::string& hint) override;
    void Command(WORD code) override;
    void DrawItem(const DRAWITEMSTRUCT& item) override;

protected:
    CreateParams Params(const ControlDesign& design) const override;

private:
    HICON image_ = nullptr;
    std::string name_;
};
