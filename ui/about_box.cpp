// The about box: its design over the picture, the version and build date,
// the links and the information mail.
#include "ui/about_box.h"

#include "core/contrast.h"
#include "core/info_mail.h"
#include "resources/resource.h"
#include "win32/jpeg_picture.h"
#include "win32/machine_info.h"
#include "win32/program_path.h"
#include "win32/system_info.h"
#include "wingui/application.h"
#include "wingui/scheme.h"

#include <oleacc.h>
#include <shellapi.h>

#include <algorithm>

const char kAuthorName[] = "Tým Tamarko";
const char kAuthorWeb[] = "http://www.example.com/tamarko/";
const char kAuthorMail[] = "info@example.com";
const char kSupportMail[] = "podpora@example.com";

namespace {

const char kNoBrowserMessage[] = "Nemohu spustit webový prohlížeč.";
const char kNoMailMessage[] = "Nemohu spustit poštovní program.";
const char kSendYourselfMessage[] = "Nemohu spustit poštovní program. Pošlete, prosím, následující údaje na adresu ";
// The box grows with the screen's DPI, as the main window does, and its
// picture with it.
constexpr bool kScaledWithDpi = true;

// The picture at the box's size, smoothed: drawn once, rather than
// stretched at every paint of every label over it. A 24-bit DIB from the
// top, as the picture itself is, so that its colours can be read. Refused,
// nothing: the picture is stretched as it paints.
OwnedBitmap StretchedPicture(HBITMAP picture, int width, int height)
{
    BITMAP size{};
    if (!GetObjectA(picture, sizeof size, &size))
        return {};
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    OwnedBitmap stretched(CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    const OwnedDC from(CreateCompatibleDC(nullptr));
    const OwnedDC to(CreateCompatibleDC(nullptr));
    if (!stretched || !from || !to)
        return {};
    {
        const SelectInDC source(from.Get(), picture);
        const SelectInDC target(to.Get(), stretched.Get());
        // Windows 2000 and XP smooth with HALFTONE; the brush origin must be
        // set after choosing it.
        SetStretchBltMode(to.Get(), HALFTONE);
        SetBrushOrgEx(to.Get(), 0, 0, nullptr);
        if (!StretchBlt(to.Get(), 0, 0, width, height, from.Get(), 0, 0, size.bmWidth, size.bmHeight, SRCCOPY))
            return {};
    }
    GdiFlush();
    return stretched;
}

bool Open(HWND owner, const std::string& address)
{
    const auto result
        = reinterpret_cast<INT_PTR>(ShellExecuteA(owner, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

std::string FileNamePart(const std::string& path)
{
    const auto separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

}  // namespace

TAutor::TAutor(HWND owner, int mainWindowPixelsPerInch)
    : mainWindowPixelsPerInch_(mainWindowPixelsPerInch)
{
    CreateForm(
        {
            "TAutor",
            "Autor programu",
            WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
            0,
            0,
            450,
            338,  // client area, the picture's size
            FontSpec{"Times New Roman", 13},
            TPosition::ScreenCenter,
            WS_EX_DLGMODALFRAME,
            nullptr,  // no menu bar
            kScaledWithDpi,
        },
        owner);
    static const FontSpec heading{"Times New Roman", 27, true, clMaroon};
    static const FontSpec link{"Times New Roman", 16, true, clMaroon};
    static const FontSpec button{"Times New Roman", 21, true, clYellow};
    // Every label is transparent over the picture; later rows lie in front.
    // The links and the two label buttons are reached with Tab as well.
    const unsigned plain = coTransparent;
    const unsigned bold = coTransparent | coBold;
    CreateControls(
        {
            {&heading_, nullptr, "Tamarko verze ", 8, 16, 321, 31, coNone, &heading},
            {&webLink_, nullptr, kAuthorWeb, 8, 240, 129, 19, coTabStop, &link},
            {&webCaption_, nullptr, "Internetová adresa:", 8, 226, 104, 15, bold},
            {&invitation_, nullptr,
                "Pokud mi zašlete informaci o tom, že používáte tento program, budu Vám zasílat na Váš e-mail "
                "krátkou zprávu vždy, když bude hotová další verze programu.",
                8, 108, 433, 33, plain | coWordWrap},
            {&mailLink_, nullptr, kAuthorMail, 296, 240, 143, 19, coTabStop, &link},
            {&buildDate_, nullptr, "Tato verze spatřila světlo světa:", 8, 208, 169, 15, plain},
            {&mailCaption_, nullptr, "E-mailová adresa autora:", 296, 226, 133, 15, bold},
            {&author_, nullptr, kAuthorName, 8, 50, 120, 17, bold},
            {&licence_, nullptr, "Šířeno pod licencí MIT.", 8, 266, 220, 15, plain},
            {&sendInformationButton_, nullptr, "Pošli informace", 56, 304, 138, 24, coTabStop, &button},
            {&closeButton_, nullptr, "Zavřít", 304, 304, 55, 24, coTabStop, &button},
        },
        Stacking::LastInFront);
    // Tab, and a screen reader, go in reading order: the heading, the texts,
    // each link after its caption, the licence, the two label buttons. The
    // captions stay in front of the links they touch, as designed.
    SetTabOrder({&heading_, &author_, &invitation_, &buildDate_, &webCaption_, &webLink_, &mailCaption_, &mailLink_,
        &licence_, &sendInformationButton_, &closeButton_});

    heading_.SetAStyle3D(Raised3d);
    heading_.SetAShadeLeftTop(clYellow);
    for (TmyLabel3d* label : {&webLink_, &mailLink_})
        label->SetAStyle3D(Raised3d);
    for (TmyLabel3d* label : {&sendInformationButton_, &closeButton_}) {
        label->SetAStyle3D(Shadowed3d);
        label->SetAHShadeOffSet(2);
        label->SetAVShadeOffSet(2);
    }
    // Static text to Windows, a link and a button to whoever clicks them: a
    // screen reader is told so.
    for (TmyLabel3d* link : {&webLink_, &mailLink_})
        link->SetAccessibleRole(ROLE_SYSTEM_LINK);
    for (TmyLabel3d* button : {&sendInformationButton_, &closeButton_})
        button->SetAccessibleRole(ROLE_SYSTEM_PUSHBUTTON);
    const HCURSOR hand = LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));  // IDC_HAND
    for (TmyLabel3d* label : {&webLink_, &mailLink_, &sendInformationButton_, &closeButton_})
        label->SetCursor(hand);
    // Hints with an empty short part: no tooltip shows them.
    webLink_.SetHint("|Spustí Váš internetový prohlížeč a najde mé stránky");
    mailLink_.SetHint("|Spustí Váš poštovní program, abyste mi mohli napsat");

    webLink_.OnClick = [this](TComponent*) { OnOpenWeb(); };
    mailLink_.OnClick = [this](TComponent*) { OnWriteMail(); };
    sendInformationButton_.OnClick = [this](TComponent*) { OnSendInformation(); };
    closeButton_.OnClick = [this](TComponent*) { OnClose(); };

    picture_.Reset(LoadJpegResource(GetModuleHandleA(nullptr), IDR_ABOUT_PICTURE));
    RECT client;
    GetClientRect(handle_, &client);
    if (picture_ && DesignPixelsPerInch() != 96) {
        if (OwnedBitmap stretched = StretchedPicture(static_cast<HBITMAP>(picture_.Get()), client.right, client.bottom))
            picture_ = std::move(stretched);
    }
    FormCreate();
    // A text that measures wider than the design allowed for (another
    // system's font) moves left, clear of the box's edge.
    for (TLabel* label : {static_cast<TLabel*>(&heading_), static_cast<TLabel*>(&webLink_), &webCaption_, &invitation_,
             static_cast<TLabel*>(&mailLink_), &buildDate_, &mailCaption_, &author_, &licence_,
             static_cast<TLabel*>(&sendInformationButton_), static_cast<TLabel*>(&closeButton_)}) {
        RECT bounds = label->Bounds();
        const LONG over = bounds.right - (client.right - Scaled(8));
        if (over > 0 && bounds.left - over >= 0) {
            OffsetRect(&bounds, -over, 0);
            label->SetBounds(bounds);
        }
    }
}

TAutor::~TAutor() = default;

// The running executable, named through its folder as the box names it.
std::string TAutor::ExecutablePath()
{
    return GetExeDirectory() + FileNamePart(ProgramPath());
}

void TAutor::FormCreate()
{
    const std::string exePath = ExecutablePath();
    if (const auto built = FileModificationTime(exePath))
        buildDate_.SetText(buildDate_.Text() + " " + FormatShortDate(*built));
    heading_.SetText(heading_.Text() + GetProductVersionText(exePath));
}

void TAutor::PaintBackground(HDC dc, const RECT& area)
{
    // Under high contrast the texts stand on the scheme's window colour: the
    // pale picture would swallow the scheme's light text.
    if (HighContrast()) {
        FillRect(dc, &area, GetSysColorBrush(COLOR_WINDOW));
        return;
    }
    const OwnedDC picture(picture_ ? CreateCompatibleDC(dc) : nullptr);
    if (!picture) {
        TForm::PaintBackground(dc, area);
        return;
    }
    const SelectInDC selected(picture.Get(), picture_.Get());
    BITMAP size{};
    GetObjectA(picture_.Get(), sizeof size, &size);
    RECT client;
    GetClientRect(handle_, &client);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, client.right, client.bottom, picture.Get(), 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
}

Backdrop TAutor::BackdropBehind(const RECT& area) const
{
    if (HighContrast())
        return Backdrop::Plain(clWindow);
    // The picture's darkest and lightest colours under the area (24-bit rows
    // from the top, at the box's size): the text reads on all of it.
    DIBSECTION section{};
    if (!picture_ || GetObjectA(picture_.Get(), sizeof section, &section) != sizeof section || !section.dsBm.bmBits
        || section.dsBm.bmBitsPixel != 24)
        return TForm::BackdropBehind(area);
    const auto* bits = static_cast<const unsigned char*>(section.dsBm.bmBits);
    COLORREF darkest = 0, lightest = 0;
    double least = 2.0, most = -1.0;
    for (LONG y = std::max<LONG>(area.top, 0); y < std::min<LONG>(area.bottom, section.dsBm.bmHeight); ++y) {
        const unsigned char* row = bits + static_cast<std::size_t>(y) * section.dsBm.bmWidthBytes;
        for (LONG x = std::max<LONG>(area.left, 0); x < std::min<LONG>(area.right, section.dsBm.bmWidth); ++x) {
            const unsigned char* pixel = row + x * 3;
            const COLORREF color = RGB(pixel[2], pixel[1], pixel[0]);
            const double luminance = RelativeLuminance(color);
            if (luminance < least) {
                least = luminance;
                darkest = color;
            }
            if (luminance > most) {
                most = luminance;
                lightest = color;
            }
        }
    }
    if (most < 0)
        return TForm::BackdropBehind(area);
    return {darkest, lightest};
}

void TAutor::OnOpenWeb()
{
    if (!Open(nullptr, webLink_.Text()))
        Application.ShowMessage(kNoBrowserMessage, MB_OK | MB_ICONERROR);
}

void TAutor::OnWriteMail()
{
    if (!Open(nullptr, "mailto:" + mailLink_.Text()))
        Application.ShowMessage(kNoMailMessage, MB_OK | MB_ICONERROR);
}

std::string TAutor::InfoMailBody()
{
    InfoMailPieces pieces;
    pieces.windowsName = GetWindowsVersionName();
    MEMORYSTATUS memory{};
    memory.dwLength = sizeof memory;
    GlobalMemoryStatus(&memory);
    pieces.totalPhysicalBytes = memory.dwTotalPhys;
    pieces.clockMHz = MeasureClockMHz();
    pieces.screenWidth = GetSystemMetrics(SM_CXFULLSCREEN);
    pieces.screenHeight = GetSystemMetrics(SM_CYFULLSCREEN) + GetSystemMetrics(SM_CYCAPTION);
    pieces.colorDepth = GetColorDepthName(WindowDC(handle_).Get());
    pieces.pixelsPerInch = mainWindowPixelsPerInch_;
    pieces.exeDirectory = GetExeDirectory();
    const auto built = FileModificationTime(ExecutablePath());
    pieces.modificationTime = built ? FormatDateTime(*built) : std::string();
    return BuildInfoMailBody(pieces, UserNumberSeparators());
}

void TAutor::OnSendInformation()
{
    const std::string body = InfoMailBody();
    if (Open(handle_, BuildInfoMailAddress(kAuthorMail, heading_.Text(), body)))
        return;
    Application.ShowMessage(kSendYourselfMessage + std::string(kSupportMail), MB_OK | MB_ICONERROR);
    Application.ShowMessage(body);
}

void TAutor::OnClose()
{
    SetModalResult(mrCancel);
}

HWND TAutor::DefaultFocus() const
{
    // Enter closes the box, as a dialog's default button does.
    return closeButton_.Handle();
}

void TAutor::MenuCommand(int id)
{
    // What the dialog manager makes of Enter and Esc.
    if (id == IDCANCEL) {
        OnClose();
    } else if (id == IDOK) {
        // Enter presses the label that has the keyboard.
        for (TmyLabel3d* label : {&webLink_, &mailLink_, &sendInformationButton_, &closeButton_}) {
            if (GetFocus() == label->Handle()) {
                Fire(label->OnClick, label);
                return;
            }
        }
        OnClose();
    }
}
