// Fonts as designs describe them: face, character height in pixels, weight,
// colour; all in the Central European character set.
#pragma once

#include "wingui/colors.h"

#include <string>

struct FontSpec {
    const char* face = "Times New Roman";
    int height = 12;  // character height in pixels, without internal leading
    bool bold = false;
    TColor color = clWindowText;
    BYTE quality = DEFAULT_QUALITY;  // smoothing as the system decides

    FontSpec Bold() const
    {
        FontSpec bold = *this;
        bold.bold = true;
        return bold;
    }
    bool operator==(const FontSpec& other) const
    {
        return std::string(face) == other.face && height == other.height && bold == other.bold
            && quality == other.quality;
    }
};
