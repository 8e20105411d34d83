// The main window's design: its frame, its controls at their client
// positions, its menus and keyboard shortcuts, and which handler each
// control's events run.
#include "ui/main_window.h"

#include "core/phase_hook.h"
#include "resources/resource.h"
#include "ui/quick_slot.h"
#include "win32/os_error.h"
#include "wingui/application.h"
#include "wingui/menu.h"

#include <algorithm>
#include <utility>

namespace {

HICON SmallIcon(int id)
{
    return static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, LR_SHARED));
}

// A caption's words without the colon that ends it.
std::string CaptionWords(const std::string& caption)
{
    return !caption.empty() && caption.back() == ':' ? caption.substr(0, caption.size() - 1) : caption;
}

}  // namespace

OwnedMenu TForm1::CreateMenus()
{
    // Access keys are unique within each menu: the tray menu's two pairs
    // that begin alike (Obnovit, Otevřít; Uložit, Ukončit) take other letters.
    OwnedMenu menuBar = BuildMenuBar({
        {0, "&Soubor"},
        {1, "&Otevřít", cmOpen, "Ctrl+O", SmallIcon(IDI_OPEN)},
        {1, "&Uložit", cmSave, "Ctrl+S", SmallIcon(IDI_SAVE)},
        {1, nullptr},
        {1, "&Zavřít", cmClose, "Alt+F4", SmallIcon(IDI_EXIT)},
        {0, "&Nápověda"},
        {1, "&O programu", cmAbout, "F2", SmallIcon(IDI_ABOUT)},
    });
    trayMenu_ = BuildPopupMenu({
        {0, "&Obnovit", cmRestore, nullptr, SmallIcon(IDI_RESTORE)},
        {0, nullptr},
        {0, "O&tevřít", cmOpen, nullptr, SmallIcon(IDI_OPEN)},
        {0, "&Uložit", cmSave, nullptr, SmallIcon(IDI_SAVE)},
        {0, "O &programu", cmAbout, nullptr, SmallIcon(IDI_ABOUT)},
        {0, nullptr},
        {0, "U&končit", cmClose, nullptr, SmallIcon(IDI_EXIT)},
    });
    std::vector<ACCEL> shortcuts = {
        {FVIRTKEY | FCONTROL, 'O', cmOpen},
        {FVIRTKEY | FCONTROL, 'S', cmSave},
        {FVIRTKEY | FALT, VK_F4, cmClose},
        {FVIRTKEY, VK_F2, cmAbout},
    };
    // The quick buttons from the keyboard: Ctrl+1 ... Ctrl+5 click them,
    // Ctrl+Shift+1 ... 5 open their menus.
    for (int slot = 0; slot < kQuickSlotCount; ++slot) {
        const auto digit = static_cast<WORD>('1' + slot);
        shortcuts.push_back({FVIRTKEY | FCONTROL, digit, static_cast<WORD>(QuickSlotCommand(slot, qiClick))});
        shortcuts.push_back({FVIRTKEY | FCONTROL | FSHIFT, digit, static_cast<WORD>(QuickSlotCommand(slot, qiMenu))});
    }
    accelerators_.Reset(CreateAcceleratorTableA(shortcuts.data(), static_cast<int>(shortcuts.size())));
    if (!accelerators_)
        RaiseRefusal("klávesové zkratky");
    return menuBar;
}

void TForm1::CreateDesign()
{
    OwnedMenu menuBar = CreateMenus();
    MarkPhase(Phase::Start, "menus, their images and shortcuts");
    CreateForm({
        "TForm1",
        "Tamarko",
        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
        100,
        100,  // left, top
        300,
        395,  // client area
        FontSpec{"Times New Roman", 12},
        TPosition::Designed,
        0,
        menuBar.Get(),
    });
    // The window destroys its menu bar from now on.
    menuBar_ = menuBar.Release();
    MarkPhase(Phase::Start, "main window's frame and tooltips");

    const unsigned caption = coBold;
    const unsigned field = coTabStop | coGroup;
    CreateControls({
        {&toolBar_, nullptr, "", 0, 0, 300, 30},
        {&openButton_, &toolBar_, "", 2, 2, 23, 22, coShowHint},
        {&saveButton_, &toolBar_, "", 24, 2, 23, 22, coShowHint},
        {&quickButtons_[0], &toolBar_, "", 88, 2, 23, 22, coShowHint},
        {&quickButtons_[1], &toolBar_, "", 112, 2, 23, 22, coShowHint},
        {&quickButtons_[2], &toolBar_, "", 136, 2, 23, 22, coShowHint},
        {&quickButtons_[3], &toolBar_, "", 160, 2, 23, 22, coShowHint},
        {&quickButtons_[4], &toolBar_, "", 184, 2, 23, 22, coShowHint},
        {&endButton_, &toolBar_, "", 272, 2, 23, 22, coShowHint},
        {&computerNameCaption_, nullptr, "Síťové jméno počítače:", 8, 48, 120, 15, caption},
        {&computerNameLabel_, nullptr, "???", 152, 48, 137, 16, coShowHint},
        {&connectionNameCaption_, nullptr, "Název síťového připojení:", 8, 72, 135, 15, caption},
        {&connectionNameLabel_, nullptr, "???", 152, 70, 137, 16, coShowHint | coGroup},
        {&addressingCaption_, nullptr, "IP adresa:", 8, 96, 52, 15, caption},
        {&manualChoice_, nullptr, "ručně", 152, 91, 65, 17, coGroup},
        {&automaticChoice_, nullptr, "automaticky", 208, 91, 81, 17},
        {&ipAddressCaption_, nullptr, "IP adresa:", 8, 120, 52, 15, caption | coGroup},
        {&ipAddressEdit_, nullptr, "???", 152, 112, 137, 23, field},
        {&maskCaption_, nullptr, "Maska podsítě:", 8, 144, 79, 15, caption},
        {&maskEdit_, nullptr, "???", 152, 136, 137, 23, field},
        {&gatewayCaption_, nullptr, "Brána:", 8, 168, 36, 15, caption},
        {&gatewayEdit_, nullptr, "???", 152, 160, 137, 23, field},
        {&dnsCaption_, nullptr, "Server DNS:", 8, 192, 68, 15, caption},
        {&dnsEdit_, nullptr, "???", 152, 184, 137, 23, field},
        {&alternateDnsCaption_, nullptr, "Náhradní server DNS:", 8, 216, 118, 15, caption},
        {&alternateDnsEdit_, nullptr, "???", 152, 208, 137, 23, field},
        {&proxyGroup_, nullptr, "Nastavení Proxy v MS Internet exploreru", 8, 240, 281, 97, coGroup},
        {&proxyCaption_, &proxyGroup_, "Používat Proxy server:", 8, 26, 117, 15, caption},
        {&proxySwitch_, &proxyGroup_, "", 144, 24, 129, 17, field},
        {&proxyAddressCaption_, &proxyGroup_, "IP adresa Proxy serveru:", 8, 50, 127, 15, caption},
        {&proxyAddressEdit_, &proxyGroup_, "???", 144, 42, 129, 23, field},
        {&proxyPortCaption_, &proxyGroup_, "Port:", 8, 74, 26, 15, caption},
        {&proxyPortEdit_, &proxyGroup_, "???", 144, 66, 129, 23, field},
        {&applyButton_, nullptr, "Uložit parametry do síťového připojení", 8, 344, 281, 25, coBold | field},
        {&statusBar_, nullptr, "", 0, 376, 300, 19},
    });
    MarkPhase(Phase::Start, "controls and fonts");

    // Which control shows each field.
    const std::pair<Field, TControl*> fieldControls[] = {
        {Field::IP, &ipAddressEdit_},
        {Field::Mask, &maskEdit_},
        {Field::Gateway, &gatewayEdit_},
        {Field::DNS, &dnsEdit_},
        {Field::DNS2, &alternateDnsEdit_},
        {Field::Manual, &manualChoice_},
        {Field::Automatic, &automaticChoice_},
        {Field::Proxy, &proxySwitch_},
        {Field::ProxyAddress, &proxyAddressEdit_},
        {Field::ProxyPort, &proxyPortEdit_},
    };
    for (const auto& [field, control] : fieldControls)
        fieldControls_[FieldIndex(field)] = control;

    // Each caption and the control it names; "automaticky" ends with the
    // fields whatever its font measures.
    KeepCaptionsClear({{&computerNameCaption_, &computerNameLabel_}, {&connectionNameCaption_, &connectionNameLabel_},
        {&addressingCaption_, &manualChoice_}, {&ipAddressCaption_, &ipAddressEdit_}, {&maskCaption_, &maskEdit_},
        {&gatewayCaption_, &gatewayEdit_}, {&dnsCaption_, &dnsEdit_}, {&alternateDnsCaption_, &alternateDnsEdit_},
        {&proxyCaption_, &proxySwitch_}, {&proxyAddressCaption_, &proxyAddressEdit_},
        {&proxyPortCaption_, &proxyPortEdit_}});
    automaticChoice_.FitTextToTheLeft();
    // "ručně" ends where "automaticky" begins: the strip where the design
    // lets it overlap showed "automaticky" anyway, and "ručně" now lies in
    // front of it.
    RECT manual = manualChoice_.Bounds();
    manual.right = std::max(manual.left, std::min(manual.right, automaticChoice_.Bounds().left));
    manualChoice_.SetBounds(manual);

    // Tab order, with each caption just before its field: Windows names a
    // field that has no caption of its own after the static text before it.
    // After the apply button comes the connection's name, a stop only while
    // it is cut short. Only the checked radio button is a tab stop, so the
    // pair is one stop before the address. The arrows go through the pair
    // in z-order, "ručně" first as the screen shows it; the caption after it
    // starts a group of its own, so that the arrows stay within the pair.
    SetTabOrder({&applyButton_, &connectionNameCaption_, &connectionNameLabel_, &manualChoice_, &automaticChoice_,
        &ipAddressCaption_, &ipAddressEdit_, &maskCaption_, &maskEdit_, &gatewayCaption_, &gatewayEdit_, &dnsCaption_,
        &dnsEdit_, &alternateDnsCaption_, &alternateDnsEdit_, &proxyGroup_});
    SetTabOrder({&proxyCaption_, &proxySwitch_, &proxyAddressCaption_, &proxyAddressEdit_, &proxyPortCaption_,
        &proxyPortEdit_});

    // A screen reader names a check box or a radio button by its own text:
    // the proxy's box has none, and "ručně" or "automaticky" alone do not say
    // what they choose. The box takes its caption's words, each choice the
    // pair's question before its own; what is painted stays.
    proxySwitch_.SetAccessibleName(CaptionWords(proxyCaption_.Text()));
    for (TRadioButton* choice : {&manualChoice_, &automaticChoice_})
        choice->SetAccessibleName(addressingCaption_.Text() + " " + choice->Text());

    for (TmyLabel3d* label : {&computerNameCaption_, &connectionNameCaption_, &addressingCaption_, &ipAddressCaption_,
             &maskCaption_, &gatewayCaption_, &dnsCaption_, &alternateDnsCaption_, &proxyCaption_,
             &proxyAddressCaption_, &proxyPortCaption_})
        label->SetAStyle3D(Resit3d);
    for (TLabel* label : {&connectionNameLabel_, &computerNameLabel_}) {
        label->SetAutoSize(false);  // long names are cut; the tooltip shows them whole
        label->SetColor(clLime);
        label->SetShowAccelChar(false);  // they show names, which may hold "&"
    }

    openButton_.SetImage(IDI_OPEN);
    openButton_.SetHint("Otevřít uloženou konfiguraci");
    saveButton_.SetImage(IDI_SAVE);
    saveButton_.SetHint("Uložit konfiguraci");
    endButton_.SetImage(IDI_EXIT);
    endButton_.SetHint("Ukončit program");
    // The quick buttons, each with its menu; the program INI file numbers
    // their menu items 1 ... 20, four to a button.
    const int quickImages[] = {IDI_QUICK1, IDI_QUICK2, IDI_QUICK3, IDI_QUICK4, IDI_QUICK5};
    for (int slot = 0; slot < kQuickSlotCount; ++slot) {
        quickButtons_[slot].SetImage(quickImages[slot]);
        quickSlots_.push_back(std::make_unique<TQuickSlot>(slot, quickButtons_[slot], 1 + 4 * slot));
        quickSlots_.back()->OpenDialog = &openDialog_;
        quickSlots_.back()->LoadSettingsFile = [this](const std::string& path) { LoadSettingsFile(path); };
    }

    Application.SetAccelerators(accelerators_.Get());
    MarkPhase(Phase::Start, "tab order, label styles, images, quick slots");
}

void TForm1::BindEvents()
{
    for (const FieldSpec& spec : kFields) {
        if (spec.kind == FieldKind::Text)
            dynamic_cast<TEdit&>(FieldControl(spec.field)).OnChange = [this](TComponent*) { OnFieldTextChanged(); };
    }
    manualChoice_.OnClick = [this](TComponent*) { OnManualChosen(); };
    automaticChoice_.OnClick = [this](TComponent*) { OnAutomaticChosen(); };
    proxySwitch_.OnClick = [this](TComponent*) { OnProxySwitched(); };
    applyButton_.OnClick = [this](TComponent*) { OnApply(); };
    openButton_.OnClick = [this](TComponent*) { MenuCommand(cmOpen); };
    saveButton_.OnClick = [this](TComponent*) { MenuCommand(cmSave); };
    endButton_.OnClick = [this](TComponent*) { OnCloseCommand(); };
}
