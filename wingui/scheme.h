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

// A control's colours from its design's background and text colours. Lime,
// "equals the current state", is the scheme's highlight under high contrast.
// Text in a colour of the scheme (or any, under high contrast) is moved to
// one that reads on the background; a disabled control's text is the
// scheme's grey, moved the same way.
PaintColors ControlColors(TColor background, TColor text, bool enabled);
