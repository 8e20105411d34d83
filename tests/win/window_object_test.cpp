// Which window leads to which of the program's forms and controls, and that a
// window of someone else in the same thread never does.
#include "wingui/application.h"
#include "wingui/form.h"
#include "wingui/label.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class Host : public TForm {
public:
    Host()
    {
        CreateForm({"TWindowObjectHost", "host", WS_POPUP, 0, 0, 200, 100, FontSpec{"Tahoma", 13}});
        CreateControls({{&label, nullptr, "text", 10, 10, 80, 20}});
    }
    TLabel label;
};

TEST(WindowObject, FormsAndControlsAreFoundByTheirWindows)
{
    auto host = std::make_unique<Host>();
    const HWND form = host->Handle();
    const HWND label = host->label.Handle();
    EXPECT_EQ(TForm::FromHandle(form), host.get());
    EXPECT_EQ(TControl::FromHandle(label), &host->label);
    EXPECT_EQ(TControl::FromHandle(form), nullptr) << "a form is no control";
    EXPECT_EQ(TForm::FromHandle(label), nullptr) << "a control is no form";
    EXPECT_EQ(TControl::FromHandle(nullptr), nullptr);
}

// The file dialogs' windows run in this thread and may keep a number or a
// pointer of their own in GWLP_USERDATA; their mouse messages pass through
// the program's message loop like any other.
TEST(WindowObject, AWindowOfSomeoneElseIsNeitherFormNorControl)
{
    struct Foreign {
        int tag = 1;  // what a control's tag would read as
        char rest[64] = {};
    } foreign;
    HWND window = CreateWindowExA(
        0, "STATIC", "", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    for (LONG_PTR data : {LONG_PTR{1}, LONG_PTR{0x10}, reinterpret_cast<LONG_PTR>(&foreign)}) {
        SetWindowLongPtrA(window, GWLP_USERDATA, data);
        EXPECT_EQ(TControl::FromHandle(window), nullptr) << data;
        EXPECT_EQ(TForm::FromHandle(window), nullptr) << data;
        PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        Application.ProcessMessages();  // must not take it for a control
    }
    DestroyWindow(window);
}

TEST(WindowObject, AControlGoneIsNoLongerFound)
{
    auto host = std::make_unique<Host>();
    const HWND label = host->label.Handle();
    // Someone sets the old value again on a window that outlived its object.
    const LONG_PTR old = GetWindowLongPtrA(label, GWLP_USERDATA);
    HWND survivor = CreateWindowExA(
        0, "STATIC", "", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(survivor, nullptr);
    host.reset();
    SetWindowLongPtrA(survivor, GWLP_USERDATA, old);
    EXPECT_EQ(TControl::FromHandle(survivor), nullptr);
    DestroyWindow(survivor);
}

}  // namespace
