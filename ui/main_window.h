// The main window: the connection's TCP/IP and proxy settings, the menus and
// tool bar that act on them, and the program's start-up and close.
#pragma once

#include "components/instance_guard.h"
#include "components/label_3d.h"
#include "components/launcher.h"
#include "components/tray_icon.h"
#include "core/connection_fields.h"
#include "core/line_list.h"
#include "core/report_reader.h"
#include "ui/commands.h"
#include "ui/connection_chooser.h"
#include "wingui/container.h"
#include "wingui/file_dialog.h"
#include "wingui/form.h"
#include "wingui/label.h"
#include "wingui/speed_button.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

class TQuickSlot;

class TForm1 : public TForm, public ConnectionChooserOwner {
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

    // What the chooser hands over.
    LineList& ReportLines() override { return tmp; }
    void SetConnection(const std::string& name, const ReportSection& section) override;
    // Fills the window from the report section and the registry, all lime.
    void ReadCurrentState() override;
    void LoadCommandLineSettings() override;
    void EndProgram() override;

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

    HMENU MainMenu1 = nullptr;  // owned by the window
    OwnedMenu PopupMenuTray;
    TAppExec AppExec1;
    TMultiInstance MultiInstance1;
    std::unique_ptr<TTrayIcon> TrayIcon1;  // hooks the window, so made after it
    TFileDialog OpenDialog1, SaveDialog1;
    // The quick buttons SpeedButton4 ... SpeedButton8.
    std::vector<std::unique_ptr<TQuickSlot>> QuickSlots;

    // The control that shows a field, and its value as the control holds it.
    TControl& FieldControl(Field field);
    std::string FieldText(Field field);
    void SetFieldText(Field field, const std::string& text);
    bool FieldChecked(Field field);
    void SetFieldChecked(Field field, bool checked);
    // The keyboard in the field, its text selected.
    void FocusField(Field field);
    // What the system had when it was last read, and of which connection.
    const CurrentState& CurrentValues() const { return Current; }
    const std::string& ChosenConnection() const { return ConnectionName; }

    // Settings files: fills the fields from one, or says it is missing.
    void LoadSettingsFile(const std::string& fileName);
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
    // Shows whether a field holds the current state: lime or not, and the
    // description a screen reader reads with its name.
    void ShowFieldState(Field field, bool current);
    // The apply button.
    void Button1Click();
    // A close asked for while an apply's commands ran; it follows their end.
    bool CloseRequested() const { return closeRequested_; }
    // The apply's commands run: a close asked for meanwhile waits for them.
    void SetCommandsRunning(bool running) { commandsRunning_ = running; }
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
    // The menu bar (returned), the tray menu and the keyboard shortcuts.
    OwnedMenu CreateMenus();
    void BindEvents();
    void RightAlignHelpMenu();
    void ReadProgramIni();
    void WriteProgramIni();
    LRESULT QueryEndSession();
    void UpdateTrayMenu();
    bool HandleSysCommand(WPARAM command);
    void TaskbarCreated();
    // Enables or disables the fields that a choice governs.
    void EnableFieldsOf(Field choice, bool enabled);
    // Shows the current state's values of the fields read from `source`.
    void ShowCurrentValues(StateSource source);

    void Zavt1Click();

    // The report's lines, the chosen connection, its lines in the report
    // and what the system had when it was last read.
    LineList tmp;
    std::string ConnectionName;
    ReportSection Section;
    CurrentState Current;

    TForm2* Form2 = nullptr;
    OwnedAccelerators accelerators_;
    bool activated_ = false;
    bool commandsRunning_ = false;
    bool inTray_ = false;  // hidden in the notification area
    bool closeRequested_ = false;
    bool stateShown_ = false;                  // a connection's state has filled the window
    std::set<std::string> proxyProblemsSaid_;  // a proxy value's problem is said once
    // The program INI file existed but could not be read at the start.
    bool programIniUnread_ = false;
    // The program's folder has no name the ANSI calls can use: no INI file.
    bool programIniUnnamed_ = false;
    RECT startPlacement_{};  // where the start put the window
};
