// A control that holds other controls: the tool-bar strip and the group box.
// What Windows tells it about its children goes on to the window, whose
// handlers own them.
#pragma once

#include "wingui/controls.h"

class TContainer : public TControl {
protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void Paint(HDC dc) = 0;
};

// The tool-bar strip: a raised band the width of the window.
class TCoolBar : public TContainer {
protected:
    CreateParams Params(const ControlDesign& design) const override;
    void Paint(HDC dc) override;
};

// A frame with a caption around related controls.
class TGroupBox : public TContainer {
protected:
    CreateParams Params(const ControlDesign& design) const override;
    void Paint(HDC dc) override;
};
