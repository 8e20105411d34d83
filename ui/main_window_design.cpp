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
        {0, "&Soubor"},                                           // Soubor1
        {1, "&Otevřít", cmOpen, "Ctrl+O", SmallIcon(IDI_OPEN)},   // Otevt1
        {1, "&Uložit", cmSave, "Ctrl+S", SmallIcon(IDI_SAVE)},    // Uloit1
        {1, nullptr},                                             // N1
        {1, "&Zavřít", cmClose, "Alt+F4", SmallIcon(IDI_EXIT)},   // Zavt1
        {0, "&Nápověda"},                                         // Npovda1
        {1, "&O programu", cmAbout, "F2", SmallIcon(IDI_ABOUT)},  // Oprogramu1
    });
    PopupMenuTray = BuildPopupMenu({
        {0, "&Obnovit", cmRestore, nullptr, SmallIcon(IDI_RESTORE)},  // Obnovit1
        {0, nullptr},                                                 // N3
        {0, "O&tevřít", cmOpen, nullptr, SmallIcon(IDI_OPEN)},        // Otevt2
        {0, "&Uložit", cmSave, nullptr, SmallIcon(IDI_SAVE)},         // Uloit2
        {0, "O &programu", cmAbout, nullptr, SmallIcon(IDI_ABOUT)},   // Oprogramu2
        {0, nullptr},                                                 // N2
        {0, "U&končit", cmClose, nullptr, SmallIcon(IDI_EXIT)},       // Ukonit1
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
    MainMenu1 = menuBar.Release();
    MarkPhase(Phase::Start, "main window's frame and tooltips");

    const unsigned caption = coBold;
    const unsigned field = coTabStop | coGroup;
    CreateControls({
        {&CoolBar1, nullptr, "", 0, 0, 300, 30},
        {&SpeedButton1, &CoolBar1, "", 2, 2, 23, 22, coShowHint},
        {&SpeedButton2, &CoolBar1, "", 24, 2, 23, 22, coShowHint},
        {&SpeedButton4, &CoolBar1, "", 88, 2, 23, 22, coShowHint},
        {&SpeedButton5, &CoolBar1, "", 112, 2, 23, 22, coShowHint},
        {&SpeedButton6, &CoolBar1, "", 136, 2, 23, 22, coShowHint},
        {&SpeedButton7, &CoolBar1, "", 160, 2, 23, 22, coShowHint},
        {&SpeedButton8, &CoolBar1, "", 184, 2, 23, 22, coShowHint},
        {&SpeedButton3, &CoolBar1, "", 272, 2, 23, 22, coShowHint},
        {&myLabel3d1, nullptr, "Síťové jméno počítače:", 8, 48, 120, 15, caption},
        {&Label2, nullptr, "???", 152, 48, 137, 16, coShowHint},
        {&myLabel3d3, nullptr, "Název síťového připojení:", 8, 72, 135, 15, caption},
        {&Label1, nullptr, "???", 152, 70, 137, 16, coShowHint},
        {&myLabel3d7, nullptr, "IP adresa:", 8, 96, 52, 15, caption},
        {&RadioButton1, nullptr, "ručně", 152, 91, 65, 17, coGroup},
        {&RadioButton2, nullptr, "automaticky", 208, 91, 81, 17},
        {&myLabel3d2, nullptr, "IP adresa:", 8, 120, 52, 15, caption | coGroup},
        {&Edit2, nullptr, "???", 152, 112, 137, 23, field},
        {&myLabel3d4, nullptr, "Maska podsítě:", 8, 144, 79, 15, caption},
        {&Edit3, nullptr, "???", 152, 136, 137, 23, field},
        {&myLabel3d5, nullptr, "Brána:", 8, 168, 36, 15, caption},
        {&Edit4, nullptr, "???", 152, 160, 137, 23, field},
        {&myLabel3d6, nullptr, "Server DNS:", 8, 192, 68, 15, caption},
        {&Edit5, nullptr, "???", 152, 184, 137, 23, field},
        {&myLabel3d11, nullptr, "Náhradní server DNS:", 8, 216, 118, 15, caption},
        {&Edit8, nullptr, "???", 152, 208, 137, 23, field},
        {&GroupBox1, nullptr, "Nastavení Proxy v MS Internet exploreru", 8, 240, 281, 97, coGroup},
        {&myLabel3d8, &GroupBox1, "Používat Proxy server:", 8, 26, 117, 15, caption},
        {&CheckBox1, &GroupBox1, "", 144, 24, 129, 17, field},
        {&myLabel3d9, &GroupBox1, "IP adresa Proxy serveru:", 8, 50, 127, 15, caption},
        {&Edit6, &GroupBox1, "???", 144, 42, 129, 23, field},
        {&myLabel3d10, &GroupBox1, "Port:", 8, 74, 26, 15, caption},
        {&Edit7, &GroupBox1, "???", 144, 66, 129, 23, field},
        {&Button1, nullptr, "Uložit parametry do síťového připojení", 8, 344, 281, 25, coBold | field},
        {&StatusBar1, nullptr, "", 0, 376, 300, 19},
    });
    MarkPhase(Phase::Start, "controls and fonts");

    // Each caption and the control it names; "automaticky" ends with the
    // fields whatever its font measures.
    KeepCaptionsClear({{&myLabel3d1, &Label2}, {&myLabel3d3, &Label1}, {&myLabel3d7, &RadioButton1},
        {&myLabel3d2, &Edit2}, {&myLabel3d4, &Edit3}, {&myLabel3d5, &Edit4}, {&myLabel3d6, &Edit5},
        {&myLabel3d11, &Edit8}, {&myLabel3d8, &CheckBox1}, {&myLabel3d9, &Edit6}, {&myLabel3d10, &Edit7}});
    RadioButton2.FitTextToTheLeft();
    // "ručně" ends where "automaticky" begins: the strip where the design
    // lets it overlap showed "automaticky" anyway, and "ručně" now lies in
    // front of it.
    RECT manual = RadioButton1.Bounds();
    manual.right = std::max(manual.left, std::min(manual.right, RadioButton2.Bounds().left));
    RadioButton1.SetBounds(manual);

    // Tab order, with each caption just before its field: Windows names a
    // field that has no caption of its own after the static text before it.
    // Only the checked radio button is a tab stop, so the pair is one stop
    // between Button1 and Edit2. The arrows go through the pair in z-order,
    // "ručně" first as the screen shows it; the caption after it starts a
    // group of its own, so that the arrows stay within the pair.
    SetTabOrder({&Button1, &RadioButton1, &RadioButton2, &myLabel3d2, &Edit2, &myLabel3d4, &Edit3, &myLabel3d5, &Edit4,
        &myLabel3d6, &Edit5, &myLabel3d11, &Edit8, &GroupBox1});
    SetTabOrder({&myLabel3d8, &CheckBox1, &myLabel3d9, &Edit6, &myLabel3d10, &Edit7});

    // A screen reader names a check box or a radio button by its own text:
    // the proxy's box has none, and "ručně" or "automaticky" alone do not say
    // what they choose. The box takes its caption's words, each choice the
    // pair's question before its own; what is painted stays.
    CheckBox1.SetAccessibleName(CaptionWords(myLabel3d8.Text()));
    for (TRadioButton* choice : {&RadioButton1, &RadioButton2})
        choice->SetAccessibleName(myLabel3d7.Text() + " " + choice->Text());

    for (TmyLabel3d* label : {&myLabel3d1, &myLabel3d3, &myLabel3d7, &myLabel3d2, &myLabel3d4, &myLabel3d5, &myLabel3d6,
             &myLabel3d11, &myLabel3d8, &myLabel3d9, &myLabel3d10})
        label->SetAStyle3D(Resit3d);
    for (TLabel* label : {&Label1, &Label2}) {
        label->SetAutoSize(false);  // long names are cut; the tooltip shows them whole
        label->SetColor(clLime);
        label->SetShowAccelChar(false);  // they show names, which may hold "&"
    }

    SpeedButton1.SetImage(IDI_OPEN);
    SpeedButton1.SetHint("Otevřít uloženou konfiguraci");
    SpeedButton2.SetImage(IDI_SAVE);
    SpeedButton2.SetHint("Uložit konfiguraci");
    SpeedButton3.SetImage(IDI_EXIT);
    SpeedButton3.SetHint("Ukončit program");
    // The quick buttons: PopupMenu1 ... PopupMenu5 with MenuItem1 ... MenuItem20.
    const int quickImages[] = {IDI_QUICK1, IDI_QUICK2, IDI_QUICK3, IDI_QUICK4, IDI_QUICK5};
    TSpeedButton* quickButtons[] = {&SpeedButton4, &SpeedButton5, &SpeedButton6, &SpeedButton7, &SpeedButton8};
    for (int slot = 0; slot < kQuickSlotCount; ++slot) {
        quickButtons[slot]->SetImage(quickImages[slot]);
        QuickSlots.push_back(std::make_unique<TQuickSlot>(slot, *quickButtons[slot], 1 + 4 * slot));
        QuickSlots.back()->OpenDialog = &OpenDialog1;
        QuickSlots.back()->LoadSettingsFile = [this](const std::string& path) { LoadSettingsFile(path); };
    }

    Application.SetAccelerators(accelerators_.Get());
    MarkPhase(Phase::Start, "tab order, label styles, images, quick slots");
}

void TForm1::BindEvents()
{
    for (const FieldSpec& spec : kFields) {
        if (spec.kind == FieldKind::Text)
            dynamic_cast<TEdit&>(FieldControl(spec.field)).OnChange = [this](TComponent*) { Edit2Change(); };
    }
    RadioButton1.OnClick = [this](TComponent*) { RadioButton1Click(); };
    RadioButton2.OnClick = [this](TComponent*) { RadioButton2Click(); };
    CheckBox1.OnClick = [this](TComponent*) { CheckBox1Click(); };
    Label1.OnMouseMove = [this](TComponent*, int, int) { Label1MouseMove(); };
    Label2.OnMouseMove = [this](TComponent*, int, int) { Label2MouseMove(); };
    Button1.OnClick = [this](TComponent*) { Button1Click(); };
    SpeedButton1.OnClick = [this](TComponent*) { MenuCommand(cmOpen); };
    SpeedButton2.OnClick = [this](TComponent*) { MenuCommand(cmSave); };
    SpeedButton3.OnClick = [this](TComponent*) { Zavt1Click(); };
}
