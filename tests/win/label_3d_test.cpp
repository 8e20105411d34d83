#include "components/label_3d.h"
#include "wingui/form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

class LabelHost : public TForm {
public:
    explicit LabelHost(const char* caption = "l", int fontHeight = 40)
    {
        // Unsmoothed, so that every pixel of the caption is exactly its colour.
        FontSpec font{"Times New Roman", fontHeight};
        font.quality = NONANTIALIASED_QUALITY;
        CreateForm({"TLabelHost", "host", WS_POPUP, 0, 0, 300, 200, font});
        CreateControls({{&label, nullptr, caption, 20, 20, 120, 100}});
    }
    TmyLabel3d label;
};

bool Invalidated(HWND window)
{
    RECT update;
    return GetUpdateRect(window, &update, FALSE) != FALSE;
}

// What the label draws, pixel by pixel, over its window's background.
class Rendering {
public:
    explicit Rendering(TmyLabel3d& label)
    {
        RECT client;
        GetClientRect(label.Handle(), &client);
        width_ = client.right;
        height_ = client.bottom;
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, width_, height_);
        HGDIOBJ old = SelectObject(memory, bitmap);
        SendMessageA(label.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
        pixels_.resize(static_cast<std::size_t>(width_ * height_));
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                pixels_[static_cast<std::size_t>(y * width_ + x)] = GetPixel(memory, x, y);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
    }
    COLORREF At(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width_ || y >= height_)
            return CLR_INVALID;
        return pixels_[static_cast<std::size_t>(y * width_ + x)];
    }
    std::set<std::pair<int, int>> Where(COLORREF color) const
    {
        std::set<std::pair<int, int>> found;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (At(x, y) == color)
                    found.insert({x, y});
        return found;
    }

private:
    int width_ = 0, height_ = 0;
    std::vector<COLORREF> pixels_;
};

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kGrey = RGB(128, 128, 128);

using Pixels = std::set<std::pair<int, int>>;

Pixels Shifted(const Pixels& pixels, int dx, int dy)
{
    Pixels shifted;
    for (auto [x, y] : pixels)
        shifted.insert({x + dx, y + dy});
    return shifted;
}

// How many of `expected` pixels (outside `covered`) have `color`.
double ShareWith(const Rendering& rendering, const Pixels& expected, const Pixels& covered, COLORREF color)
{
    int total = 0, matching = 0;
    for (auto p : expected) {
        if (covered.count(p))
            continue;
        ++total;
        matching += rendering.At(p.first, p.second) == color;
    }
    return total ? static_cast<double>(matching) / total : 0.0;
}

TEST(ThreeDimensionalLabel, ShadesLieWhereEachStyleDrawsThem)
{
    LabelHost host;
    host.label.SetAStyle3D(Normal3d);
    const Pixels caption = Rendering(host.label).Where(kBlack);
    ASSERT_GT(caption.size(), 30u) << "the caption must be drawn";
    EXPECT_TRUE(Rendering(host.label).Where(kWhite).empty()) << "a normal label has no shades";

    struct Case {
        T3DEffect style;
        int firstDx, firstDy;
        COLORREF firstColor;
        int secondDx, secondDy;
        COLORREF secondColor;
    } cases[] = {
        {Resit3d, 1, 1, kWhite, -1, -1, kGrey},
        {Raised3d, 1, 1, kGrey, -1, -1, kWhite},
    };
    for (const auto& c : cases) {
        host.label.SetAStyle3D(c.style);
        const Rendering drawn(host.label);
        EXPECT_GT(ShareWith(drawn, caption, {}, kBlack), 0.95) << "the caption lies on top";
        const Pixels second = Shifted(caption, c.secondDx, c.secondDy);
        const Pixels first = Shifted(caption, c.firstDx, c.firstDy);
        Pixels secondOrCaption = second;
        secondOrCaption.insert(caption.begin(), caption.end());
        EXPECT_GT(ShareWith(drawn, second, caption, c.secondColor), 0.95) << "style " << c.style;
        EXPECT_GT(ShareWith(drawn, first, secondOrCaption, c.firstColor), 0.95) << "style " << c.style;
    }

    host.label.SetAStyle3D(Shadowed3d);
    host.label.SetAHShadeOffSet(2);
    host.label.SetAVShadeOffSet(2);
    const Rendering shadowed(host.label);
    EXPECT_GT(ShareWith(shadowed, Shifted(caption, 2, 2), caption, kGrey), 0.95);
    EXPECT_TRUE(shadowed.Where(kWhite).empty()) << "one grey copy only";
}

TEST(ThreeDimensionalLabel, DisabledCaptionIsGreyTextAndOpaqueLabelsFillTheirColour)
{
    LabelHost host;
    host.label.SetAStyle3D(Resit3d);
    const Pixels caption = Rendering(host.label).Where(kBlack);
    host.label.SetEnabled(false);
    const Rendering disabled(host.label);
    EXPECT_TRUE(disabled.Where(kBlack).empty());
    EXPECT_GT(ShareWith(disabled, caption, {}, GetSysColor(COLOR_GRAYTEXT)), 0.95);
    EXPECT_FALSE(disabled.Where(kWhite).empty()) << "the shades keep their colours";

    host.label.SetEnabled(true);
    EXPECT_EQ(Rendering(host.label).At(2, 90), GetSysColor(COLOR_BTNFACE)) << "transparent: the window shows";
    host.label.SetTransparent(false);
    host.label.SetColor(RGB(0, 255, 0));
    EXPECT_EQ(Rendering(host.label).At(2, 90), RGB(0, 255, 0));
}

TEST(ThreeDimensionalLabel, SettersRepaintOnlyOnChange)
{
    LabelHost host;
    host.Show();  // hidden windows collect no repaints
    HWND label = host.label.Handle();
    auto repaintsAfter = [&](auto change) {
        ValidateRect(label, nullptr);
        change();
        return Invalidated(label);
    };
    EXPECT_FALSE(repaintsAfter([&] { host.label.SetAStyle3D(Normal3d); }));
    EXPECT_TRUE(repaintsAfter([&] { host.label.SetAStyle3D(Resit3d); }));
    EXPECT_FALSE(repaintsAfter([&] { host.label.SetAShadeRightBottom(0x808080); }));
    EXPECT_TRUE(repaintsAfter([&] { host.label.SetAShadeRightBottom(0x000080); }));
    EXPECT_FALSE(repaintsAfter([&] { host.label.SetAHShadeOffSet(5); }));
    EXPECT_TRUE(repaintsAfter([&] { host.label.SetAHShadeOffSet(2); }));
    EXPECT_FALSE(repaintsAfter([&] { host.label.SetAVShadeOffSet(-5); }));
    EXPECT_TRUE(repaintsAfter([&] { host.label.SetAVShadeOffSet(2); }));
    EXPECT_TRUE(repaintsAfter([&] { host.label.SetAShadeLTSet(false); })) << "always repaints";
}

TEST(ThreeDimensionalLabel, ShadeLockHoldsTheLightShadeWhiteAndRestoresIt)
{
    LabelHost host;
    const TColor yellow = 0x0000FFFF, red = 0x000000FF;
    host.label.SetAShadeLeftTop(yellow);
    EXPECT_EQ(host.label.AShadeLeftTop(), yellow);
    host.label.SetAShadeLTSet(true);
    EXPECT_EQ(host.label.AShadeLeftTop(), clWhite);
    host.label.SetAShadeLeftTop(red);
    EXPECT_EQ(host.label.AShadeLeftTop(), clWhite) << "assignments are ignored while locked";
    host.label.SetAShadeLTSet(true);
    EXPECT_EQ(host.label.AShadeLeftTop(), clWhite);
    host.label.SetAShadeLTSet(false);
    EXPECT_EQ(host.label.AShadeLeftTop(), yellow) << "the colour from before the lock comes back";
}

TEST(ThreeDimensionalLabel, LeavingFiresMouseOutOnce)
{
    LabelHost host;
    host.Show();
    int outs = 0;
    host.label.OnMouseOut = [&](TComponent* sender) {
        EXPECT_EQ(sender, &host.label);
        ++outs;
    };
    HWND label = host.label.Handle();
    RECT client;
    GetClientRect(label, &client);
    auto move = [&](int x, int y) { SendMessageA(label, WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); };

    move(5, 5);
    EXPECT_EQ(GetCapture(), label) << "the label holds the mouse while over it";
    move(client.right, client.bottom);
    EXPECT_EQ(GetCapture(), label) << "the right and bottom edges count as inside";
    EXPECT_EQ(outs, 0);
    move(client.right + 1, 5);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(outs, 1);
    move(5, 5);
    move(5, -1);
    EXPECT_EQ(outs, 2) << "each time the pointer leaves";
}

TEST(ThreeDimensionalLabel, AlignmentPlacesTheCaptionAndItsShades)
{
    LabelHost host;
    host.Show();
    host.label.SetAStyle3D(Resit3d);
    RECT client;
    GetClientRect(host.label.Handle(), &client);
    const int width = client.right;
    const struct {
        TAlignment alignment;
        const char* what;
    } cases[] = {{taRightJustify, "right"}, {taCenter, "centre"}, {taLeftJustify, "left"}};
    for (const auto& c : cases) {
        ValidateRect(host.label.Handle(), nullptr);
        host.label.SetAlignment(c.alignment);
        EXPECT_TRUE(Invalidated(host.label.Handle())) << c.what << ": a new alignment is painted";
        ValidateRect(host.label.Handle(), nullptr);
        host.label.SetAlignment(c.alignment);
        EXPECT_FALSE(Invalidated(host.label.Handle())) << c.what << ": the same one is not";

        const Rendering drawn(host.label);
        const Pixels caption = drawn.Where(kBlack);
        ASSERT_GT(caption.size(), 30u) << c.what;
        int left = width, right = -1;
        for (auto [x, y] : caption) {
            left = std::min(left, x);
            right = std::max(right, x);
        }
        switch (c.alignment) {
        case taLeftJustify:
            EXPECT_LT(left, 10) << c.what;
            break;
        case taRightJustify:
            EXPECT_GT(right, width - 10) << c.what;
            break;
        case taCenter:
            EXPECT_LE(std::abs((left + right) / 2 - width / 2), 3) << c.what << ": " << left << ".." << right;
            break;
        }
        // The shades go with the caption: white right and below, grey left
        // and above (what falls outside the label is not drawn).
        Pixels grey, white;
        for (auto [x, y] : Shifted(caption, -1, -1))
            if (x >= 0 && y >= 0 && !caption.count({x, y}))
                grey.insert({x, y});
        for (auto [x, y] : Shifted(caption, 1, 1))
            if (x < width && !caption.count({x, y}) && !grey.count({x, y}))
                white.insert({x, y});
        EXPECT_GT(ShareWith(drawn, grey, {}, kGrey), 0.95) << c.what;
        EXPECT_GT(ShareWith(drawn, white, {}, kWhite), 0.95) << c.what;
    }
}

TEST(ThreeDimensionalLabel, ReportsClicksPressesAndReleasesWithItselfAsTheSender)
{
    LabelHost host;
    host.Show();
    HWND label = host.label.Handle();
    EXPECT_TRUE(GetClassLongA(label, GCL_STYLE) & CS_DBLCLKS) << "a real double click reaches the label";

    std::string log;
    const char* const buttons[] = {"left", "right", "middle"};
    const auto sender = [&](TComponent* s) { return s == &host.label ? "" : " (wrong sender)"; };
    host.label.OnClick = [&](TComponent* s) { log += std::string("click") + sender(s) + "; "; };
    host.label.OnDblClick = [&](TComponent* s) { log += std::string("double") + sender(s) + "; "; };
    host.label.OnMouseDown = [&](TComponent* s, TMouseButton button, int x, int y) {
        log += std::string("down ") + buttons[button] + " " + std::to_string(x) + "," + std::to_string(y) + sender(s)
            + "; ";
    };
    host.label.OnMouseUp = [&](TComponent* s, TMouseButton button, int x, int y) {
        log += std::string("up ") + buttons[button] + " " + std::to_string(x) + "," + std::to_string(y) + sender(s)
            + "; ";
    };
    const auto send = [&](UINT message, int x, int y) { SendMessageA(label, message, 0, MAKELPARAM(x, y)); };

    const struct {
        const char* what;
        std::vector<std::pair<UINT, POINT>> messages;
        std::string log;
    } cases[] = {
        {"a click", {{WM_LBUTTONDOWN, {5, 6}}, {WM_LBUTTONUP, {5, 6}}}, "down left 5,6; up left 5,6; click; "},
        {"a double click",
            {{WM_LBUTTONDOWN, {5, 6}}, {WM_LBUTTONUP, {5, 6}}, {WM_LBUTTONDBLCLK, {5, 6}}, {WM_LBUTTONUP, {5, 6}}},
            "down left 5,6; up left 5,6; click; double; down left 5,6; up left 5,6; "},
        {"pressed here, released elsewhere", {{WM_LBUTTONDOWN, {5, 6}}, {WM_LBUTTONUP, {500, 6}}},
            "down left 5,6; up left 500,6; "},
        {"the right button", {{WM_RBUTTONDOWN, {7, 8}}, {WM_RBUTTONUP, {7, 8}}}, "down right 7,8; up right 7,8; "},
        {"the middle button", {{WM_MBUTTONDOWN, {9, 1}}, {WM_MBUTTONUP, {9, 1}}}, "down middle 9,1; up middle 9,1; "},
    };
    for (const auto& c : cases) {
        log.clear();
        for (const auto& [message, at] : c.messages)
            send(message, at.x, at.y);
        EXPECT_EQ(log, c.log) << c.what;
    }
}

TEST(ThreeDimensionalLabel, ARightClickOpensItsPopupMenu)
{
    LabelHost host;
    host.Show();
    SetForegroundWindow(host.Handle());
    OwnedMenu menu(CreatePopupMenu());
    AppendMenuA(menu.Get(), MF_STRING, 4321, "Položka");
    host.label.SetPopupMenu(menu.Get());

    // The menu holds this thread until it closes: another one looks for it
    // and closes it again.
    std::atomic<bool> seen{false};
    std::thread watcher([&] {
        for (int waited = 0; waited < 20000; waited += 10) {
            HWND open = FindWindowA("#32768", nullptr);
            DWORD process = 0;
            if (open && IsWindowVisible(open) && GetWindowThreadProcessId(open, &process)
                && process == GetCurrentProcessId()) {
                seen = true;
                PostMessageA(host.Handle(), WM_CANCELMODE, 0, 0);
                return;
            }
            Sleep(10);
        }
    });
    SendMessageA(host.label.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    SendMessageA(host.label.Handle(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    watcher.join();
    EXPECT_TRUE(seen) << "no menu opened";
}

TEST(ThreeDimensionalLabel, LongCaptionsAreDrawnWhole)
{
    const std::string caption = std::string(300, 'x') + "END";
    LabelHost host(caption.c_str(), 12);
    EXPECT_EQ(host.label.Text(), caption);
    // The wrapped caption's last line holds the end of the text: drawn, not cut.
    host.label.SetAutoSize(false);
    const Rendering drawn(host.label);
    EXPECT_FALSE(drawn.Where(kBlack).empty());
}

}  // namespace
