// A flat tool-bar button with an image. Its window text, which a screen
// reader reads as its name, is its hint, after the name that tells it from
// its like when it has one; written so that no key presses the button. A
// right click opens its popup menu.
#pragma once

#include "wingui/controls.h"

class TSpeedButton : public TControl {
public:
    TNotifyEvent OnClick;
    // The image: the program's icon resource of that id, at the size the
    // button's design has on this screen (16 pixels at 96 DPI).
    void SetImage(int iconId);
    // "Rychlé tlačítko 1": what the hint follows in the window text.
    void SetName(const std::string& name) { name_ = name; }
    void SetHint(const std::string& hint) override { SetHint(hint, hint); }
    // The hint, and how it reads after the name: a sentence's own capital
    // letter goes after the colon ("Rychlé tlačítko 1: není přiřazeno").
    void SetHint(const std::string& hint, const std::string& afterName);
    void Command(WORD code) override;
    void DrawItem(const DRAWITEMSTRUCT& item) override;

protected:
    CreateParams Params(const ControlDesign& design) const override;

private:
    OwnedIcon image_;
    int imageSize_ = 0;
    std::string name_;
};
