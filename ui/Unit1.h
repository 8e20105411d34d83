// The main window: the connection's TCP/IP and proxy settings, the menus and
// tool bar that act on them, and the program's start-up and close.
#pragma once

#include "components/MultiInst.h"
#include "components/Mylabel.h"
#include "components/TrayIcon.h"
#include "components/appexec.h"
#include "core/linelist.h"
#include "core/report.h"
#include "ui/base/container.h"
#include "ui/base/filedialog.h"
#include "ui/base/form.h"
#include "ui/base/label.h"
#include "ui/base/speedbutton.h"
#include "ui/commands.h"

#include <memory>
#include <string>
#include <vector>

class TForm2;
class TQuickSlot;

// What the system had when it was last read; the fields are compared with it.
struct CurrentState {
    std::string IP, Mask, Gateway, DNS, DNS2;
    std::string DHCP;  // "Yes" automatic, "No" manual, else unknown
    int ProxyOn = 0;   // "ProxyEnable": 1 on, 0 off, -1 missing
    std::string ProxyAddress, ProxyPort;
};

class TForm1 : public TForm {
public:
    TForm1();
    ~TForm1() override;

    // The start-up steps after construction; false when the program must end.
    bool FormCreate();
    // Where the window's placement is kept: the executable's path with ".ini".
    static std::string ProgramIniPath();
    // The chooser, shown at the first activation and after every apply.
    void SetConnectionChooser(TForm2* chooser) { Form2 = chooser; }
    void ShowConnectionChooser();

    // Fills the window from the report section and the registry, all lime.
    void ReadCurrentState();

    // The report's lines, the chosen connection and its lines in the report.
    LineList tmp;
    std::string ConnectionName;
    ReportSection Section;
    CurrentState Current;

    // Layout, from the top of the window down.
    TCoolBar CoolBar1;
    TSpeedButton SpeedButton1, SpeedButton2, SpeedButton4, SpeedButton5, SpeedButton6, SpeedButton7, SpeedButton8,
        SpeedButton3;
    TmyLabel3d myLabel3d1;
    TLabel Label2;
    TmyLabel3d myLabel3d3;
    TLabel Label1;
    TmyLabel3d myLabel3d7;
    TRadioButton RadioButton1, RadioButton2;
    TmyLabel3d myLabel3d2;
    TEdit Edit2;
    TmyLabel3d myLabel3d4;
    TEdit Edit3;
    TmyLabel3d myLabel3d5;
    TEdit Edit4;
    TmyLabel3d myLabel3d6;
    TEdit Edit5;
    TmyLabel3d myLabel3d11;
    TEdit Edit8;
    TGroupBox GroupBox1;
    TmyLabel3d myLabel3d8;
    TCheckBox CheckBox1;
    TmyLabel3d myLabel3d9;
    TEdit Edit6;
    TmyLabel3d myLabel3d10;
    TEdit Edit7;
    TButton Button1;
    TStatusBar StatusBar1;

    HMENU MainMenu1 = nullptr;
    HMENU PopupMenuTray = nullptr;
    TAppExec AppExec1;
    TMultiInstance MultiInstance1;
    std::unique_ptr<TTrayIcon> TrayIcon1;  // hooks the window, so made after it
    TFileDialog OpenDialog1, SaveDialog1;
    // The quick buttons SpeedButton4 ... SpeedButton8.
    std::vector<std::unique_ptr<TQuickSlot>> QuickSlots;

    // Settings files: fills the fields from one, or says it is missing.
    void LoadSettingsFile(const std::string& fileName);
    // The settings file named as the program's first argument, if any.
    void LoadCommandLineSettings();
    void Otevt1Click();
    void Uloit1Click();

    // Field editing: highlighting against the current state, and the
    // fields each choice switches on and off.
    void Edit2Change();
    void RadioButton1Click();
    void RadioButton2Click();
    void CheckBox1Click();
    void Label1MouseMove();
    void Label2MouseMove();
    // The apply button.
    void Button1Click();
    // A close was asked for while an apply ran; it follows the apply's end.
    bool CloseRequested() const { return closeRequested_; }
    // The notification area: restoring the window hidden there.
    void Obnovit1Click();
    void TrayIcon1DblClick();
    void Oprogramu1Click();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void FormActivate() override;
    bool CloseQuery() override;  // FormCloseQuery
    void MenuCommand(int id) override;

private:
    void CreateDesign();
    void CreateMenus();
    void BindEvents();
    void RightAlignHelpMenu();
    void ReadProgramIni();
    void WriteProgramIni();
    LRESULT QueryEndSession();
    void UpdateTrayMenu();
    bool HandleSysCommand(WPARAM command);

    void Zavt1Click();

    TForm2* Form2 = nullptr;
    HACCEL accelerators_ = nullptr;
    bool activated_ = false;
    bool applying_ = false;
    bool closeRequested_ = false;
};
