// The main window's life: construction, the start-up checks, the stored
// placement, the commands of its menus and tool bar, and the close.
#include "ui/main_window.h"

#include "core/file_messages.h"
#include "core/phase_hook.h"
#include "core/profile_values.h"
#include "resources/resource.h"
#include "ui/about_box.h"
#include "ui/quick_slot.h"
#include "win32/file_name.h"
#include "win32/ini_file.h"
#include "win32/ini_file_update.h"
#include "win32/program_path.h"
#include "win32/startup_checks.h"
#include "wingui/application.h"
#include "wingui/menu.h"
#include "wingui/placement.h"

#include <algorithm>

namespace {

const char kPlacementSection[] = "Nastavení";

const char kNotAdministratorMessage[]
    = "Na tomto počítači nemáte práva administrátora.\r\n"
      "Program nemůže změnit ani zobrazit nastavení sítě, a proto bude ukončen.\r\n\r\n"
      "Ukončit program.";
const char kEndWithoutSavingQuestion[] = "Ukončit program bez uložení nastavení?";
const char kEndsWithoutSavingNote[] = "Program bude ukončen bez uložení nastavení.";
// No screen reaches beyond this; a value from a damaged file might, and
// would overflow on the way.
LONG ScreenCoordinate(int value)
{
    return std::clamp(value, -32768, 32767);
}

// The part of the window the user takes hold of to move it.
int TitleBarHeight()
{
    return GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION);
}

const char kProgramIniUnnamedNote[] = "Okno a rychlá tlačítka proto mají výchozí nastavení a jejich změny se "
                                      "neuloží.";
const char kNotCzechMessage[] = "Tento program může být spuštěn pouze na české verzi Windows 2000/XP.\r\n"
                                "Vaše lokalizace Windows není česká, proto bude program ukončen.\r\n\r\n"
                                "Ukončit program.";

}  // namespace

TForm1::TForm1()
    : openDialog_(TFileDialog::Open, "Otevřít nastavení sítě", "soubory nastavení (*.dat)|*.dat",
        OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NONETWORKBUTTON
            | OFN_ENABLESIZING)
    , saveDialog_(TFileDialog::Save, "Uložit nastavení sítě", "soubory nastavení (*.dat)|*.dat",
          OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ENABLESIZING)
{
    MarkPhase(Phase::Start, "instance guard's window");
    CreateDesign();
    BindEvents();
    launcher_.SetLangType(ltCzech);
    launcher_.SetWait(true);
    // A console that took the activation would give it to nobody when it
    // closes: the keyboard would be lost to the program until a click, and
    // Windows would refuse the chooser the foreground after the commands.
    launcher_.SetWindowState(wsMinimizedNoActivate);

    trayIcon_ = std::make_unique<TTrayIcon>(handle_);
    trayIcon_->SetIcon(static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON, 16, 16, LR_SHARED)));
    trayIcon_->SetPopupMenu(trayMenu_.Get());
    trayIcon_->OnDblClick = [this](TComponent*) { OnTrayIconDoubleClick(); };
    MarkPhase(Phase::Start, "events, launcher, tray hook");

    // The design is complete: another running instance may now say that
    // this one must give way, before anything is shown or read.
    instanceGuard_.Loaded();
    MarkPhase(Phase::Start, "single-instance search");
}

TForm1::~TForm1() = default;

std::string TForm1::ProgramIniPath()
{
    return WithExtension(ProgramPath(), ".ini");
}

bool TForm1::FormCreate()
{
    RightAlignHelpMenu();
    MarkPhase(Phase::Start, "help menu right-aligned");
    if (!IsAdministrator()) {
        Application.ShowMessage(kNotAdministratorMessage);
        return false;
    }
    MarkPhase(Phase::Start, "administrator check");
    if (!IsCzechLanguageName(SystemLanguageEnglishName())) {
        Application.ShowMessage(kNotCzechMessage);
        return false;
    }
    MarkPhase(Phase::Start, "localisation check");
    ReadProgramIni();
    MarkPhase(Phase::Start, "program INI read");
    for (const auto& slot : quickSlots_)
        slot->UpdateHint();
    trayIcon_->SetTip(Text());
    trayIcon_->ShowIcon();
    MarkPhase(Phase::Start, "hints and tray icon");
    return true;
}

void TForm1::RightAlignHelpMenu()
{
    const int helpPosition = 1;  // "Nápověda" on the menu bar
    char text[80] = {};
    MENUITEMINFOA item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_TYPE;
    item.dwTypeData = text;
    item.cch = sizeof text;
    if (!GetMenuItemInfoA(menuBar_, helpPosition, TRUE, &item))
        return;
    item.fType |= MFT_RIGHTJUSTIFY;
    item.cch = static_cast<UINT>(strlen(text));
    if (SetMenuItemInfoA(menuBar_, helpPosition, TRUE, &item))
        DrawMenuBar(handle_);
}

void TForm1::ReadProgramIni()
{
    RECT rect;
    GetWindowRect(handle_, &rect);
    RECT wanted = rect;  // the design's place, unless the file keeps another
    try {
        const IniFile ini(ProgramIniPath());
        const LONG left = ScreenCoordinate(ini.ReadInteger(kPlacementSection, "Left", rect.left));
        const LONG top = ScreenCoordinate(ini.ReadInteger(kPlacementSection, "Top", rect.top));
        // A size below the design, at any DPI, would cut controls off, and
        // the fixed border gives the user no way to enlarge the window.
        const LONG height
            = std::max(ScreenCoordinate(ini.ReadInteger(kPlacementSection, "Height", rect.bottom - rect.top)),
                rect.bottom - rect.top);
        const LONG width
            = std::max(ScreenCoordinate(ini.ReadInteger(kPlacementSection, "Width", rect.right - rect.left)),
                rect.right - rect.left);
        // A title bar nobody can reach would hide the window at every start.
        wanted = ReachablePlacement({left, top, left + width, top + height}, TitleBarHeight());
        for (const auto& slot : quickSlots_)
            slot->ReadPath(ini);
        for (const auto& slot : quickSlots_)
            slot->ReadMenuFlags(ini);
    } catch (const EFileRead& error) {
        // The window starts as without the file, and the close must not put
        // these defaults over what the file holds.
        programIniUnread_ = true;
        Application.ShowMessage(error.Message() + "\r\n\r\n" + kProgramIniUnreadNote, MB_OK | MB_ICONWARNING);
    } catch (const EFileName& error) {
        // The file beside the program cannot be named: another one must not
        // be read or written in its place.
        programIniUnnamed_ = true;
        Application.ShowMessage(error.Message() + "\r\n\r\n" + kProgramIniUnnamedNote, MB_OK | MB_ICONWARNING);
    }
    // The window is not shown yet: it is moved once, whole onto its work
    // area, and not at all when it is there already.
    const RECT placed = WholeInWorkArea(wanted);
    if (!EqualRect(&placed, &rect))
        SetWindowPos(handle_, nullptr, placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top,
            SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(handle_, &startPlacement_);
}

void TForm1::WriteProgramIni()
{
    if (programIniUnnamed_)
        return;
    // Hidden in the notification area the window is minimised: the
    // rectangle it will come back to is the one kept.
    const RECT rect = NormalWindowRect(handle_);
    // A file unread at the start holds what this run never saw: only what
    // the user changed goes over it.
    const bool placementChanged = !programIniUnread_ || !EqualRect(&rect, &startPlacement_);
    std::vector<const TQuickSlot*> slots;
    for (const auto& slot : quickSlots_) {
        if (!programIniUnread_ || slot->Changed())
            slots.push_back(slot.get());
    }
    if (!placementChanged && slots.empty())
        return;

    IniFileUpdate ini(ProgramIniPath());
    if (placementChanged) {
        ini.WriteInteger(kPlacementSection, "Left", rect.left);
        ini.WriteInteger(kPlacementSection, "Top", rect.top);
        ini.WriteInteger(kPlacementSection, "Height", rect.bottom - rect.top);
        ini.WriteInteger(kPlacementSection, "Width", rect.right - rect.left);
    }
    for (const TQuickSlot* slot : slots)
        slot->WritePath(ini);
    for (const TQuickSlot* slot : slots)
        slot->WriteMenuFlags(ini);
    ini.Commit();
}

bool TForm1::CloseQuery()
{
    MarkPhase(Phase::Close, "close request received");
    bool closing = true;
    try {
        WriteProgramIni();
        MarkPhase(Phase::Close, "settings kept");
    } catch (const std::exception& error) {
        // The settings cannot be kept (a read-only folder, a full disk): the
        // user is told, and decides whether to end all the same.
        closing = Application.ShowException(error, kEndWithoutSavingQuestion, MB_YESNO | MB_ICONSTOP | MB_DEFBUTTON2)
            == IDYES;
    }
    // The end takes a few seconds more (the tray icon, the windows): a start
    // meanwhile runs rather than give way to a program that is going.
    if (closing)
        instanceGuard_.Withdraw();
    return closing;
}

void TForm1::EndProgram()
{
    // Ended before the window was ever usable, the run changed nothing
    // worth keeping: the file stays exactly as it was. Later, nobody can
    // take the close back here: a failed write is said, and the file keeps
    // what it held.
    try {
        if (stateShown_)
            WriteProgramIni();
    } catch (const std::exception& error) {
        Application.ShowException(error, kEndsWithoutSavingNote);
    }
    instanceGuard_.Withdraw();
    Application.Terminate();
}

LRESULT TForm1::QueryEndSession()
{
    // Log-off or shut-down: the settings are kept as at any close. Settings
    // that cannot be kept are no reason to stop Windows: the file keeps what
    // it held, and no box holds the session up.
    try {
        WriteProgramIni();
    } catch (const std::exception&) {
    }
    return TRUE;
}

void TForm1::SetConnection(const std::string& name, const ReportSection& section)
{
    connectionName_ = name;
    section_ = section;
}

void TForm1::FormActivate()
{
    MarkPhase(Phase::Start, "first activation");
    ShowConnectionChooser();
}

void TForm1::ShowConnectionChooser()
{
    if (chooser_)
        chooser_->ShowModal(handle_);
    // At the start the report's console had the activation; after an apply
    // the window is still locked here and the apply gives it back.
    ComeToFront();
    MarkPhase(Phase::StartLast, "chooser gone, filled window painted");
}

bool TForm1::HandleSysCommand(WPARAM command)
{
    // Only the exact minimise command: the window goes to the notification
    // area, taking its taskbar button with it. Without an icon there (the
    // shell refused it, and is being asked again) it is minimised as any
    // window is, so that its taskbar button still leads back to it.
    if (command != SC_MINIMIZE || !trayIcon_->InNotificationArea())
        return false;
    ShowWindow(handle_, SW_MINIMIZE);
    ShowWindow(handle_, SW_HIDE);
    inTray_ = true;
    return true;
}

void TForm1::OnRestore()
{
    ShowWindow(handle_, SW_SHOWNORMAL);
    inTray_ = false;
}

void TForm1::TaskbarCreated()
{
    // A shell that started anew and refused the icon: the window hidden in
    // the notification area goes back to the taskbar, minimised.
    if (inTray_ && !trayIcon_->InNotificationArea()) {
        ShowWindow(handle_, SW_SHOWMINNOACTIVE);
        inTray_ = false;
    }
}

void TForm1::OnTrayIconDoubleClick()
{
    OnRestore();
}

void TForm1::UpdateTrayMenu()
{
    // While the window is locked (an apply, the chooser, the about box) the
    // fields must not change under it: only restoring and ending are offered.
    const bool usable = IsWindowEnabled(handle_) != FALSE;
    for (int command : {cmOpen, cmSave, cmAbout})
        EnableMenuCommand(trayMenu_.Get(), command, usable);
}

void TForm1::OnCloseCommand()
{
    Close();
}

void TForm1::MenuCommand(int id)
{
    switch (id) {
    case cmOpen:
        OnOpenSettingsFile();
        return;
    case cmSave:
        OnSaveSettingsFile();
        return;
    case cmClose:
        OnCloseCommand();
        return;
    case cmRestore:
        OnRestore();
        return;
    case cmAbout:
        OnAbout();
        return;
    }
    for (const auto& slot : quickSlots_) {
        if (slot->Command(id, handle_))
            return;
    }
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_QUERYENDSESSION:
        return QueryEndSession();
    case WM_ENDSESSION:
        // The session ends and the process with it once this returns: the
        // program ends in order first, its tray icon deleted by its window.
        if (wParam)
            DestroyWindow(handle_);
        return 0;
    case WM_SYSCOMMAND:
        if (HandleSysCommand(wParam))
            return 0;
        break;
    case WM_ACTIVATE:
        // Only the first activation, once the window is on screen, asks
        // for the connection; modal windows hand activation back later.
        if (LOWORD(wParam) != WA_INACTIVE && !activated_) {
            activated_ = true;
            PostMessageA(handle_, WM_TAMARKO_ACTIVATE, 0, 0);
        }
        break;
    case WM_CLOSE:
        // The apply's commands read the fields as they go: the window has to
        // outlive them. A close asked for meanwhile stops the apply: no
        // further command runs, the one under way is left to finish by
        // itself, and the close follows at once.
        if (commandsRunning_) {
            closeRequested_ = true;
            launcher_.AbandonWait();
            return 0;
        }
        break;
    case WM_INITMENUPOPUP:
        if (reinterpret_cast<HMENU>(wParam) == trayMenu_.Get())
            UpdateTrayMenu();
        break;
    case WM_DESTROY:
        instanceGuard_.Withdraw();
        Application.Terminate();
        MarkPhase(Phase::Close, "main window destroyed");
        return 0;
    default:
        if (message == TTrayIcon::TaskbarCreatedMessage())
            TaskbarCreated();
        break;
    }
    return TForm::HandleMessage(message, wParam, lParam);
}

void TForm1::OnAbout()
{
    const int pixelsPerInch = GetDeviceCaps(WindowDC(handle_).Get(), LOGPIXELSY);
    TAutor about(handle_, pixelsPerInch);
    about.ShowModal(handle_);
}
