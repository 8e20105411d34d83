// The colours the program paints with under the user's colour scheme: the
// design's colours where they read, and where they would not (a dark scheme,
// a disabled field on lime) text that does; with Windows' high-contrast
// setting on, the scheme's own colours throughout.
#pragma once

#include "wingui/colors.h"

#include <windows.h>

// Whether Windows' high-contrast setting is on, as last asked.
bool HighContrast();
// Asks Windows again: it tells every top-level window when the setting or
// the scheme's colours change.
void RefreshColorScheme();

struct PaintColors {
    COLORREF background;
    COLORREF text;
};

// What text stands on, from its darkest to its lightest colour (one colour
// but for a picture). A system colour is the user's scheme's; any other is
// fixed by the design (lime, a picture), whatever the scheme, and text on it
// is held to the enhanced level, 7:1.
struct Backdrop {
    TColor darkest;
    TColor lightest;

    static Backdrop Plain(TColor color) { return {color, color}; }
    bool FixedByDesign() const { return (darkest & 0xFF000000u) != 0xFF000000u; }
};

// A control's colours from its design's background and text colours. Lime,
// "equals the current state", is the scheme's highlight under high contrast.
// Text in a colour of the scheme (or any, under high contrast) is moved to
// one that reads on the scheme's background; on a background the design
// fixes, any text is. A disabled control's text is the scheme's grey, moved
// the same way.
PaintColors ControlColors(TColor background, TColor text, bool enabled);
// The colour of text drawn over a backdrop (a transparent label over its
// window), by the same rules.
COLORREF TextColorOver(const Backdrop& behind, TColor text, bool enabled);
