// Text reads in every colour scheme and under high contrast, and the
// windows grow with the screen's DPI and come up whole on the screen.
#include "tests/e2e/everyone.h"

#include "core/contrast.h"

using namespace e2e;
using namespace everyone;

namespace {

// The program's own measure, checked against the published figures in the
// unit tests.
double Contrast(COLORREF a, COLORREF b)
{
    return ContrastRatio(a, b);
}

// A field's text against its background, read from the screen: the
// background where the field shows no text (its top right), the text the
// pixel that stands out from it most.
struct TextOnBackground {
    COLORREF text, background;
    double contrast;
};
TextOnBackground FieldContrast(HWND field)
{
    const Pixels pixels(field);
    const COLORREF background = pixels.At(pixels.Width() - 3, 1);
    TextOnBackground found{background, background, 1.0};
    for (int y = 0; y < pixels.Height(); ++y) {
        for (int x = 0; x < pixels.Width(); ++x) {
            const double contrast = Contrast(pixels.At(x, y), background);
            if (contrast > found.contrast)
                found = {pixels.At(x, y), background, contrast};
        }
    }
    return found;
}

// The colour scheme of the prefix, for the programs started while the holder
// lives; what it held before comes back afterwards.
class ColorScheme {
public:
    explicit ColorScheme(std::initializer_list<std::pair<const char*, const char*>> colors)
    {
        RegCreateKeyExA(
            HKEY_CURRENT_USER, "Control Panel\\Colors", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        for (const auto& [name, rgb] : colors) {
            char old[64] = {};
            DWORD size = sizeof old - 1;
            const bool had
                = RegQueryValueExA(key_, name, nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
            saved_.push_back({name, had, old});
            RegSetValueExA(
                key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(rgb), static_cast<DWORD>(strlen(rgb) + 1));
        }
    }
    ~ColorScheme()
    {
        for (const Saved& value : saved_) {
            if (value.had)
                RegSetValueExA(key_, value.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.old.c_str()),
                    static_cast<DWORD>(value.old.size() + 1));
            else
                RegDeleteValueA(key_, value.name);
        }
        RegCloseKey(key_);
    }
    ColorScheme(const ColorScheme&) = delete;
    ColorScheme& operator=(const ColorScheme&) = delete;

private:
    struct Saved {
        const char* name;
        bool had;
        std::string old;
    };
    HKEY key_ = nullptr;
    std::vector<Saved> saved_;
};

// Text that reads with ease, and, on a background the design fixes (lime,
// the about box's picture) and so no scheme can make hard, the enhanced level.
constexpr double kReadable = 4.5, kEnhanced = 7.0;

// The control's text reads on its background once it has painted.
void ExpectReads(HWND control, const std::string& what, double minimum = kReadable)
{
    TextOnBackground shown{};
    const bool reads = WaitUntil(
        [&] {
            shown = FieldContrast(control);
            return shown.contrast >= minimum;
        },
        5s);
    EXPECT_TRUE(reads) << what << " is " << Hex(shown.text) << " on " << Hex(shown.background) << ", " << shown.contrast
                       << ":1, short of " << minimum << ":1";
}

// Every field's value against its background, as the screen shows it.
void ExpectFieldsRead(const MainWindow& window, const std::string& state)
{
    for (HWND field : {window.ip, window.mask, window.gateway, window.dns, window.dns2, window.connectionName,
             window.computerName, window.manual, window.automatic}) {
        if (Text(field).empty())
            continue;  // nothing to read
        const bool lime = window.Background(field) == kLime;
        ExpectReads(
            field, state + ": \"" + Text(field) + "\"" + (lime ? " on lime" : ""), lime ? kEnhanced : kReadable);
    }
}

// The colours a window shows.
std::set<COLORREF> ColoursOf(HWND window)
{
    const Pixels pixels(window);
    std::set<COLORREF> colours;
    for (int y = 0; y < pixels.Height(); ++y)
        for (int x = 0; x < pixels.Width(); ++x)
            colours.insert(pixels.At(x, y));
    return colours;
}

// The main window's 3-D captions, in the window and in the proxy's group.
std::vector<HWND> Captions(const MainWindow& window)
{
    std::vector<HWND> captions;
    for (HWND parent : {window.form, window.group})
        for (HWND child : Children(parent))
            if (ClassName(child) == "TmyLabel3d" && IsWindowVisible(child))
                captions.push_back(child);
    return captions;
}

// Each text of the about box against the picture behind it, in every row it
// covers: the picture's colour there is read just left of the text (its
// shades run from top to bottom), and the text's colour is the pixel that
// stands out most from it. What falls short, once the box has painted.
std::vector<std::string> AboutBoxShortfalls(HWND about)
{
    const Pixels box(about);
    std::vector<std::string> shortfalls;
    for (HWND label : Children(about)) {
        if (!IsWindowVisible(label))
            continue;
        const RECT at = RectIn(label, about);
        const int column = at.left - 2;
        const Pixels text(label);
        const auto pictureAt = [&](int y) { return box.At(column, std::min<int>(at.top + y, box.Height() - 1)); };
        COLORREF textColour = pictureAt(0);
        double most = 1.0;
        for (int y = 0; y < text.Height(); ++y) {
            for (int x = 0; x < text.Width(); ++x) {
                const double contrast = Contrast(text.At(x, y), pictureAt(y));
                if (contrast > most) {
                    most = contrast;
                    textColour = text.At(x, y);
                }
            }
        }
        double worst = 21.0;
        COLORREF worstBehind = pictureAt(0);
        for (int y = 0; y < text.Height(); ++y) {
            if (Contrast(textColour, pictureAt(y)) < worst) {
                worst = Contrast(textColour, pictureAt(y));
                worstBehind = pictureAt(y);
            }
        }
        if (worst < kEnhanced) {
            std::string shortfall = "\"";
            shortfall += Text(label) + "\" is " + Hex(textColour) + " on the picture's " + Hex(worstBehind) + ", "
                + std::to_string(worst) + ":1";
            shortfalls.push_back(shortfall);
        }
    }
    return shortfalls;
}

void ExpectAboutBoxReads(HWND about, const std::string& scheme)
{
    std::vector<std::string> shortfalls;
    WaitUntil(
        [&] {
            shortfalls = AboutBoxShortfalls(about);
            return shortfalls.empty();
        },
        5s);
    for (const std::string& shortfall : shortfalls)
        ADD_FAILURE() << scheme << ": the about box's " << shortfall << ", short of " << kEnhanced << ":1";
}

}  // namespace

// Text reads on its background in the default colours, in dark schemes with a
// grey text of any shade, and under high contrast, whose highlight then marks
// the current state; the 3-D captions go flat there and in a dark scheme,
// and the about box's texts stand on the scheme's window colour. On what no
// scheme changes, lime and the about box's picture, text reads at the
// enhanced level in every scheme.
TEST_F(TamarkoTest, TextReadsInEverySchemeAndUnderHighContrast)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    const struct {
        const char* what;
        const char* grey;
    } darkSchemes[] = {{"the default colours", nullptr}, {"dark, grey text 64", "64 64 64"},
        {"dark, grey text 128", "128 128 128"}, {"dark, grey text 200", "200 200 200"}};
    for (const auto& scheme : darkSchemes) {
        SCOPED_TRACE(scheme.what);
        std::unique_ptr<ColorScheme> colors;
        if (scheme.grey)
            colors = std::make_unique<ColorScheme>(std::initializer_list<std::pair<const char*, const char*>>{
                {"Window", "0 0 0"}, {"WindowText", "255 255 255"}, {"ButtonFace", "32 32 32"},
                {"ButtonText", "255 255 255"}, {"GrayText", scheme.grey}});
        HWND form = StartFilled();
        ASSERT_NE(form, nullptr);
        const MainWindow window(form);
        ASSERT_TRUE(window.PaintedIn(window.ip, kLime));
        ExpectFieldsRead(window, std::string(scheme.what) + ", the current state, manual");
        // Shades engrave dark text on a light face; one pixel off a light
        // stroke on a dark face they smear it, so there the captions are flat.
        for (HWND caption : Captions(window)) {
            if (scheme.grey)
                EXPECT_TRUE(WaitUntil([&] { return ColoursOf(caption).size() == 2; }, 5s))
                    << "\"" << Text(caption) << "\" shows only its face and its text, not " << ColoursOf(caption).size()
                    << " colours";
            else
                EXPECT_GE(ColoursOf(caption).size(), 3u) << "\"" << Text(caption) << "\" keeps its shades";
        }
        // The about box's picture is the same in every scheme, and so is how
        // well its texts read on it.
        PostCommand(form, cmAbout);
        HWND about = WaitForTopWindow(program.Id(), "TAutor");
        ASSERT_NE(about, nullptr);
        ASSERT_TRUE(Responds(about));
        ExpectAboutBoxReads(about, scheme.what);
        PostMessageA(about, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about) || !IsWindowVisible(about); }));
        SetField(window.mask, "255.255.0.0");
        ASSERT_TRUE(WaitUntil([&] { return window.Background(window.mask) != kLime; }));
        if (scheme.grey) {
            ASSERT_EQ(window.Background(window.mask), RGB(0, 0, 0)) << "the scheme is the program's";
        }
        PostMessageA(window.automatic, BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !Enabled(window.ip); }));
        ASSERT_TRUE(Responds(form));
        ExpectFieldsRead(window, std::string(scheme.what) + ", automatic: the fields disabled, one differing");
        CloseAndWait(form);
    }

    // High contrast, switched on while the program runs.
    const std::string switchFile = folder.File("high-contrast-on");
    HWND form = Start("", {{"TAMARKO_RECORDER_HIGHCONTRAST", switchFile}});
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend; }));
    ASSERT_TRUE(window.PaintedIn(window.ip, kLime));
    HWND caption = FindControl(form, 8, 120);
    const auto hasWhite = [&] {
        const Pixels pixels(caption);
        for (int y = 0; y < pixels.Height(); ++y)
            for (int x = 0; x < pixels.Width(); ++x)
                if (pixels.At(x, y) == RGB(255, 255, 255))
                    return true;
        return false;
    };
    EXPECT_TRUE(hasWhite()) << "the caption's white shade, before";
    WriteFileBytes(switchFile, "");
    Step("high contrast switched on");
    SendMessageA(form, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    EXPECT_TRUE(window.PaintedIn(window.ip, GetSysColor(COLOR_HIGHLIGHT))) << "the current state in the highlight";
    EXPECT_TRUE(WaitUntil([&] { return !hasWhite(); })) << "the caption flat";
    ExpectFieldsRead(window, "high contrast");
    PostCommand(form, cmAbout);
    HWND about = WaitForTopWindow(program.Id(), "TAutor");
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(Responds(about));
    EXPECT_TRUE(WaitUntil([&] { return PixelAt(about, 445, 5) == GetSysColor(COLOR_WINDOW); }))
        << "the about box's texts on the window colour";
    ExpectReads(FindControl(about, 8, 16), "the about box's heading");
    PostMessageA(about, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about) || !IsWindowVisible(about); }));
    CloseAndWait(form);
}

namespace {

// The prefix's screen DPI for the programs started while the holder lives.
class ScreenDpi {
public:
    explicit ScreenDpi(DWORD pixelsPerInch)
    {
        RegCreateKeyExA(
            HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        DWORD size = sizeof old_;
        had_ = RegQueryValueExA(key_, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size)
            == ERROR_SUCCESS;
        RegSetValueExA(
            key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&pixelsPerInch), sizeof pixelsPerInch);
    }
    ~ScreenDpi()
    {
        if (had_)
            RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
        else
            RegDeleteValueA(key_, "LogPixels");
        RegCloseKey(key_);
    }
    ScreenDpi(const ScreenDpi&) = delete;
    ScreenDpi& operator=(const ScreenDpi&) = delete;

private:
    HKEY key_ = nullptr;
    DWORD old_ = 0;
    bool had_ = false;
};

// Another system's Times New Roman for the programs started while the
// holder lives: Wine draws the font with the one named in its replacements.
// Liberation Sans measures up to a tenth wider than the metric twin the
// prefix uses, as fonts of other systems do; that is enough to make the
// design's captions reach their fields.
class WiderTimes {
public:
    static constexpr const char* kFace = "Liberation Sans";
    WiderTimes()
    {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Fonts\\Replacements", 0, nullptr, 0, KEY_ALL_ACCESS,
            nullptr, &key_, nullptr);
        char old[64] = {};
        DWORD size = sizeof old - 1;
        had_ = RegQueryValueExA(key_, "Times New Roman", nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size)
            == ERROR_SUCCESS;
        old_ = old;
        RegSetValueExA(key_, "Times New Roman", 0, REG_SZ, reinterpret_cast<const BYTE*>(kFace),
            static_cast<DWORD>(strlen(kFace) + 1));
    }
    ~WiderTimes()
    {
        if (had_)
            RegSetValueExA(key_, "Times New Roman", 0, REG_SZ, reinterpret_cast<const BYTE*>(old_.c_str()),
                static_cast<DWORD>(old_.size() + 1));
        else
            RegDeleteValueA(key_, "Times New Roman");
        RegCloseKey(key_);
    }
    WiderTimes(const WiderTimes&) = delete;
    WiderTimes& operator=(const WiderTimes&) = delete;

private:
    HKEY key_ = nullptr;
    bool had_ = false;
    std::string old_;
};

// A control of a design at 96 DPI, and how its text is drawn.
struct Designed {
    const char* what;
    int left, top, width, height;
    const char* face;  // nullptr: no text of its own to fit
    int fontHeight;
    bool bold;
    int lead;  // pixels before the text at 96 DPI: a radio button's circle and gap
};

const Designed kMainDesign[] = {
    {"computer name caption", 8, 48, 120, 15, "Times New Roman", 12, true, 0},
    {"connection caption", 8, 72, 135, 15, "Times New Roman", 12, true, 0},
    {"mode caption", 8, 96, 52, 15, "Times New Roman", 12, true, 0},
    {"manual", 152, 91, 56, 17, "Times New Roman", 12, false, 17},  // ends where "automatic" begins
    {"automatic", 208, 91, 81, 17, "Times New Roman", 12, false, 17},
    {"IP caption", 8, 120, 52, 15, "Times New Roman", 12, true, 0},
    {"IP address", 152, 112, 137, 23, nullptr, 0, false, 0},
    {"mask caption", 8, 144, 79, 15, "Times New Roman", 12, true, 0},
    {"gateway caption", 8, 168, 36, 15, "Times New Roman", 12, true, 0},
    {"DNS caption", 8, 192, 68, 15, "Times New Roman", 12, true, 0},
    {"alternate DNS caption", 8, 216, 118, 15, "Times New Roman", 12, true, 0},
    {"alternate DNS", 152, 208, 137, 23, nullptr, 0, false, 0},
    {"proxy group", 8, 240, 281, 97, "Times New Roman", 12, false, 12},
    {"apply button", 8, 344, 281, 25, "Times New Roman", 12, true, 4},
    {"status bar", 0, 376, 300, 19, nullptr, 0, false, 0},
    {"tool bar", 0, 0, 300, 30, nullptr, 0, false, 0},
};
const Designed kChooserDesign[] = {
    {"prompt", 40, 8, 261, 16, "Tahoma", 13, false, 0},
    {"list", 0, 32, 361, 97, nullptr, 0, false, 0},
    {"OK", 144, 140, 81, 25, "Tahoma", 11, false, 4},
};

int AtDpi(int pixels, int dpi)
{
    return MulDiv(pixels, dpi, 96);
}

// The face the program's text is drawn in: this process read the prefix's
// replacements when it started, so a face replaced since is named as such.
const char* FaceDrawn(const char* face, bool widerTimes)
{
    return widerTimes && std::strcmp(face, "Times New Roman") == 0 ? WiderTimes::kFace : face;
}

// The width of a text, or the height of its lines, as the program draws it.
SIZE TextExtent(const char* face, int height, bool bold, const std::string& text)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontA(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, EASTEUROPE_CHARSET,
        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE extent{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    return extent;
}

int TextWidth(const Designed& design, const std::string& text, int dpi, bool widerTimes = false)
{
    return TextExtent(FaceDrawn(design.face, widerTimes), AtDpi(design.fontHeight, dpi), design.bold, text).cx;
}

// Each control of the design where the design puts it at that DPI (±1), its
// text within it, and it within its window.
void ExpectGrown(HWND parent, const Designed* design, std::size_t count, int dpi)
{
    const RECT client = ClientRect(parent);
    for (std::size_t i = 0; i < count; ++i) {
        const Designed& d = design[i];
        const RECT expected{
            AtDpi(d.left, dpi), AtDpi(d.top, dpi), AtDpi(d.left + d.width, dpi), AtDpi(d.top + d.height, dpi)};
        HWND found = nullptr;
        for (HWND child : Children(parent)) {
            const RECT at = RectIn(child, parent);
            if (std::abs(at.left - expected.left) <= 1 && std::abs(at.top - expected.top) <= 1
                && IsWindowVisible(child))
                found = child;
        }
        ASSERT_NE(found, nullptr) << d.what << " at " << expected.left << "," << expected.top;
        const RECT at = RectIn(found, parent);
        // A caption grows to its text where the design's width is short of it.
        const int width = d.face && d.lead == 0
            ? std::max<int>(expected.right - expected.left, TextWidth(d, Text(found), dpi))
            : expected.right - expected.left;
        EXPECT_NEAR(at.right - at.left, width, 1) << d.what;
        EXPECT_NEAR(at.bottom - at.top, expected.bottom - expected.top, 1) << d.what;
        EXPECT_TRUE(at.left >= 0 && at.top >= 0 && at.right <= client.right && at.bottom <= client.bottom)
            << d.what << " within its window";
        if (d.face) {
            EXPECT_LE(AtDpi(d.lead, dpi) + TextWidth(d, Text(found), dpi), at.right - at.left)
                << d.what << ": \"" << Text(found) << "\" fits";
        }
    }
}

// How a control of the main window shows its text: in which font, after
// what (a radio button's circle and gap), whether centred; by its kind.
struct TextLook {
    bool shown;  // false: no text of its own to fit (an edit holds the user's)
    bool bold;
    int lead;
    bool centred;
};
TextLook LookOf(HWND control)
{
    const std::string kind = ClassName(control);
    if (kind == "TmyLabel3d")
        return {true, true, 0, false};  // the captions
    if (kind == "TLabel")
        return {true, false, 0, false};  // the values beside them
    if (kind == "msctls_statusbar32")
        return {true, false, 4, false};
    if (lstrcmpiA(kind.c_str(), "Button") != 0)
        return {false, false, 0, false};
    switch (Style(control) & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
        return {true, true, 4, true};
    case BS_GROUPBOX:
        return {true, false, 12, false};
    case BS_OWNERDRAW:
        return {false, false, 0, false};  // the tool bar's images
    default:
        return {true, false, 17, false};  // a radio button or check box
    }
}

// No text of the main window is cut or covered: each fits its control, no
// caption reaches a control beside it (the one it names), every control lies
// within its window, measured from the controls' rectangles and the texts'
// extents in the font the program draws them in.
void ExpectNothingCoveredOrCut(HWND form, HWND group, int dpi, bool widerTimes)
{
    for (HWND parent : {form, group}) {
        const RECT client = ClientRect(parent);
        const std::vector<HWND> children = Children(parent);
        for (HWND control : children) {
            if (!IsWindowVisible(control))
                continue;
            const RECT at = RectIn(control, parent);
            EXPECT_TRUE(at.left >= 0 && at.top >= 0 && at.right <= client.right && at.bottom <= client.bottom)
                << ClassName(control) << " \"" << Text(control) << "\" within its window";
            const TextLook look = LookOf(control);
            const std::string text = Text(control);
            if (!look.shown || text.empty())
                continue;
            const int width = TextExtent(FaceDrawn("Times New Roman", widerTimes), AtDpi(12, dpi), look.bold, text).cx;
            const int lead = AtDpi(look.lead, dpi);
            EXPECT_LE(lead + width + (look.centred ? lead : 0), at.right - at.left)
                << "\"" << text << "\" fits its control";
            if ((Style(control) & BS_TYPEMASK) == BS_GROUPBOX && lstrcmpiA(ClassName(control).c_str(), "Button") == 0)
                continue;  // its text is its frame's title, above what it holds
            RECT shown = at;
            shown.left = look.centred ? (at.left + at.right - width) / 2 : at.left + lead;
            shown.right = shown.left + width;
            for (HWND other : children) {
                const RECT beside = RectIn(other, parent);
                RECT both;
                if (other != control && IsWindowVisible(other) && IntersectRect(&both, &shown, &beside))
                    ADD_FAILURE() << "\"" << text << "\" (" << shown.left << " to " << shown.right << ") reaches "
                                  << ClassName(other) << " \"" << Text(other) << "\" (" << beside.left << " to "
                                  << beside.right << ")";
            }
        }
    }
}

// The tool bar's images grow with the rest: each quick button's image (its
// drawing 14 pixels of 16 at 96 DPI) fills as much of the button as it does
// at 96 DPI.
void ExpectToolBarImagesGrown(HWND toolBar, int dpi)
{
    for (int slot = 0; slot < 5; ++slot) {
        HWND button = FindControl(toolBar, AtDpi(88 + 24 * slot, dpi), AtDpi(2, dpi));
        ASSERT_NE(button, nullptr) << "quick button " << slot + 1;
        const Pixels pixels(button);
        const COLORREF face = pixels.At(0, 0);
        RECT image{pixels.Width(), pixels.Height(), 0, 0};
        for (int y = 0; y < pixels.Height(); ++y) {
            for (int x = 0; x < pixels.Width(); ++x) {
                if (pixels.At(x, y) != face) {
                    image = {std::min<LONG>(image.left, x), std::min<LONG>(image.top, y),
                        std::max<LONG>(image.right, x + 1), std::max<LONG>(image.bottom, y + 1)};
                }
            }
        }
        EXPECT_GE(image.right - image.left, AtDpi(14, dpi) - 1) << "quick button " << slot + 1 << "'s image";
        EXPECT_GE(image.bottom - image.top, AtDpi(14, dpi) - 1) << "quick button " << slot + 1 << "'s image";
    }
}

// The about box grows as the main window does: its size, each text where
// the design puts it (with the design's font), none reaching the box's
// edge; its texts read on the picture grown with it as they do at 96 DPI.
void ExpectAboutBoxGrown(HWND form, int dpi, bool widerTimes)
{
    PostCommand(form, cmAbout);
    DWORD processId = 0;
    GetWindowThreadProcessId(form, &processId);
    HWND about = WaitForTopWindow(processId, "TAutor");
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(Responds(about));
    const RECT client = ClientRect(about);
    EXPECT_EQ(client.right, AtDpi(450, dpi)) << "the about box";
    EXPECT_EQ(client.bottom, AtDpi(338, dpi)) << "the about box";
    const POINT texts[] = {{8, 16}, {8, 50}, {8, 108}, {8, 208}, {8, 226}, {8, 240}, {296, 226}, {296, 240},
        {8, 266}, {56, 304}, {304, 304}};
    // Where the design's place would take a text to the edge, it ends
    // short of the edge instead.
    const auto placedAsDesigned = [&](POINT designed) {
        for (HWND text : Children(about)) {
            const RECT at = RectIn(text, about);
            if (at.top == AtDpi(designed.y, dpi)
                && (at.left == AtDpi(designed.x, dpi)
                    || (at.left < AtDpi(designed.x, dpi) && at.right == client.right - AtDpi(8, dpi))))
                return true;
        }
        return false;
    };
    for (const POINT& at : texts) {
        if (!widerTimes) {
            EXPECT_TRUE(placedAsDesigned(at)) << "the about box's text designed at " << at.x << "," << at.y;
        }
    }
    for (HWND text : Children(about)) {
        const RECT at = RectIn(text, about);
        EXPECT_LE(at.right, client.right - AtDpi(4, dpi)) << "\"" << Text(text) << "\" clear of the box's edge";
    }
    ExpectAboutBoxReads(about, std::to_string(dpi) + " DPI");
    PostMessageA(about, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about) || !IsWindowVisible(about); }));
}

}  // namespace

// At 96, 120 and 144 DPI the main window, the chooser and the about box
// grow with the screen, their fonts and images too, and nothing is cut or
// covered: not by the design, nor by a size the INI file kept at 96 DPI, nor
// by a font that measures wider than the design's. With the prefix's metric twin of the
// design's font every control stands where the design puts it.
TEST_F(TamarkoTest, TheWindowsGrowWithTheScreensDpi)
{
    folder.WriteNetsimState(NetsimState({kLan, DhcpConnection("WLAN")}));
    const struct {
        int dpi;
        bool widerTimes;
    } screens[] = {{96, false}, {120, false}, {144, false}, {96, true}, {120, true}, {144, true}};
    for (const auto& [dpi, widerTimes] : screens) {
        SCOPED_TRACE(std::to_string(dpi) + " DPI" + (widerTimes ? ", a wider Times New Roman" : ""));
        // At more DPI, the size the INI file kept at 96 DPI.
        WriteFileBytes(
            folder.IniPath(), dpi == 96 ? "" : "[Nastavení]\r\nLeft=100\r\nTop=100\r\nHeight=450\r\nWidth=306\r\n");
        const ScreenDpi screen(dpi);
        std::unique_ptr<WiderTimes> wider;
        if (widerTimes)
            wider = std::make_unique<WiderTimes>();
        HWND form = Start();
        ASSERT_NE(form, nullptr);
        HWND chooser = WaitForTopWindow(program.Id(), "TForm2");
        ASSERT_NE(chooser, nullptr);
        ASSERT_TRUE(WaitUntil(
            [&] { return Enabled(chooser) && Text(FindControl(chooser, AtDpi(40, dpi), AtDpi(8, dpi))) == kPrompt; }));
        const RECT chooserClient = ClientRect(chooser);
        EXPECT_EQ(chooserClient.right, AtDpi(363, dpi));
        EXPECT_EQ(chooserClient.bottom, AtDpi(173, dpi));
        ExpectGrown(chooser, kChooserDesign, std::size(kChooserDesign), dpi);
        HWND list = FindControl(chooser, 0, AtDpi(32, dpi));
        // Its rows are as high as the lines of the text they show: no
        // descender is cut.
        EXPECT_GE(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), TextExtent("Tahoma", AtDpi(11, dpi), false, "Ag").cy)
            << "the chooser's rows";
        PostMessageA(list, LB_SETCURSEL, 0, 0);
        PostMessageA(
            chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDOK)));
        HWND statusBar = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            statusBar = FindControl(form, 0, AtDpi(376, dpi));
            return statusBar && Text(statusBar) == kStateLegend;
        }));

        const RECT client = ClientRect(form);
        EXPECT_EQ(client.right, AtDpi(300, dpi)) << "the size kept at 96 DPI does not cut the window";
        EXPECT_EQ(client.bottom, AtDpi(395, dpi));
        if (!widerTimes)
            ExpectGrown(form, kMainDesign, std::size(kMainDesign), dpi);
        HWND group = FindControl(form, AtDpi(8, dpi), AtDpi(240, dpi));
        HWND toolBar = FindControl(form, 0, 0);
        ASSERT_NE(group, nullptr);
        ASSERT_NE(toolBar, nullptr);
        ExpectNothingCoveredOrCut(form, group, dpi, widerTimes);
        ExpectToolBarImagesGrown(toolBar, dpi);
        ExpectAboutBoxGrown(form, dpi, widerTimes);
        CloseAndWait(form);
    }
}

// At a large DPI on a small screen, and from a stored place near the
// screen's edge, the window comes up whole on the work area, moved up and
// left the least it must; one larger than the work area has its top left
// corner on it. The chooser centred over it stays on the work area too.
TEST_F(TamarkoTest, TheWindowComesUpWholeOnTheWorkArea)
{
    folder.WriteNetsimState(NetsimState({kLan, DhcpConnection("WLAN")}));
    // Wine gives a process started after a change of DPI the whole screen
    // as its work area, the taskbar its desktop draws left in it, while this
    // process keeps the work area it first learnt: the window is held to
    // the screen, and to the work area where the two agree.
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const RECT wholeScreen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const LONG storedLeft = work.right - 150, storedTop = work.bottom - 200;
    const struct {
        const char* what;
        int dpi;
        std::string stored;
        LONG left, top;  // where it was asked to go
    } cases[] = {
        {"168 DPI, the design's place", 168, "", 100, 100},
        {"192 DPI, the design's place", 192, "", 100, 100},
        {"96 DPI, stored near the bottom right corner", 96,
            "[Nastavení]\r\nLeft=" + std::to_string(storedLeft) + "\r\nTop=" + std::to_string(storedTop) + "\r\n",
            storedLeft, storedTop},
    };
    // Whole within the work area where it fits, its start on it where not.
    const auto expectOnWorkArea = [&](HWND shown, const std::string& what) {
        RECT at;
        GetWindowRect(shown, &at);
        const std::string where = what + " at " + std::to_string(at.left) + "," + std::to_string(at.top) + " - "
            + std::to_string(at.right) + "," + std::to_string(at.bottom) + ", the work area "
            + std::to_string(work.left) + "," + std::to_string(work.top) + " - " + std::to_string(work.right) + ","
            + std::to_string(work.bottom);
        const auto keptOn = [&](const RECT& area) {
            const bool across = at.right - at.left <= area.right - area.left
                ? at.left >= area.left && at.right <= area.right
                : at.left == area.left;
            const bool down = at.bottom - at.top <= area.bottom - area.top ? at.top >= area.top && at.bottom <= area.bottom
                                                                           : at.top == area.top;
            return across && down;
        };
        EXPECT_TRUE(keptOn(work) || keptOn(wholeScreen)) << where;
        return at;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFileBytes(folder.IniPath(), c.stored);
        const ScreenDpi screen(static_cast<DWORD>(c.dpi));
        HWND form = Start();
        ASSERT_NE(form, nullptr);
        HWND chooser = WaitForTopWindow(program.Id(), "TForm2");
        ASSERT_NE(chooser, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return Enabled(chooser); }));
        const RECT placed = expectOnWorkArea(form, "the main window");
        EXPECT_TRUE(placed.left <= c.left && placed.top <= c.top) << "moved up and left only";
        EXPECT_TRUE(placed.left == c.left || placed.right == work.right || placed.right == wholeScreen.right)
            << "moved the least it must";
        EXPECT_TRUE(placed.top == c.top || placed.bottom == work.bottom || placed.bottom == wholeScreen.bottom
            || placed.top == work.top)
            << "moved the least it must";
        expectOnWorkArea(chooser, "the chooser");
        HWND list = FindControl(chooser, 0, AtDpi(32, c.dpi));
        PostMessageA(list, LB_SETCURSEL, 0, 0);
        PostMessageA(
            chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDOK)));
        ASSERT_TRUE(WaitUntil([&] { return Enabled(form); }));
        CloseAndWait(form);
    }
}
