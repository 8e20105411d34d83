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

#include <array>
#include <memory>
#include <set>
#include <string>
#include <vector>

class TQuickSlot;

class TForm1 : public TForm, public ConnectionChooserOwner {
public:
    TForm1();
    ~TForm1() override;

    // Another instance runs and this one must end without a word.
    bool GivesWay() const { return instanceGuard_.Refused(); }
    // The start-up steps after construction; false when the program must end.
    bool FormCreate();
    // Where the window's placement is kept: the executable's path with ".ini".
    static std::string ProgramIniPath();
    // The chooser, shown at the first activation and after every apply.
    void SetConnectionChooser(TForm2* chooser) { chooser_ = chooser; }
    void ShowConnectionChooser();

    // What the chooser hands over.
    LineList& ReportLines() override { return reportLines_; }
    void SetConnection(const std::string& name, const ReportSection& section) override;
    // Fills the window from the report section and the registry, all lime.
    void ReadCurrentState() override;
    void LoadCommandLineSettings() override;
    void EndProgram() override;

    // A field's value as its control holds it.
    std::string FieldText(Field field);
    void SetFieldText(Field field, const std::string& text);
    bool FieldChecked(Field field);
    void SetFieldChecked(Field field, bool checked);
    // The keyboard in the field, its text selected.
    void FocusField(Field field);
    // What the system had when it was last read, and of which connection.
    const CurrentState& CurrentValues() const { return current_; }
    const std::string& ChosenConnection() const { return connectionName_; }

    // Settings files: fills the fields from one, or says it is missing.
    void LoadSettingsFile(const std::string& fileName);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void FormActivate() override;
    bool CloseQuery() override;
    void MenuCommand(int id) override;

private:
    // The window as the apply sequence sees it.
    class ApplyWindow;

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
    // The control that shows a field.
    TControl& FieldControl(Field field) { return *fieldControls_[FieldIndex(field)]; }
    // Enables or disables the fields that a choice governs.
    void EnableFieldsOf(Field choice, bool enabled);
    // Shows the current state's values of the fields read from `source`.
    void ShowCurrentValues(StateSource source);
    // Shows whether a field holds the current state: lime or not, and the
    // description a screen reader reads with its name.
    void ShowFieldState(Field field, bool current);
    // A name label's text, whole in its tooltip however narrow the label,
    // for the mouse and, where it is cut, for the keyboard.
    static void ShowName(TLabel& label, const std::string& name);

    // The commands of the menus, the tool bar and the tray icon.
    void OnOpenSettingsFile();
    void OnSaveSettingsFile();
    void OnCloseCommand();
    void OnAbout();
    void OnRestore();
    void OnTrayIconDoubleClick();
    // Field editing: highlighting against the current state, and the
    // fields each choice switches on and off.
    void OnFieldTextChanged();
    void OnManualChosen();
    void OnAutomaticChosen();
    void OnProxySwitched();
    void OnApply();

    // Layout, from the top of the window down.
    TCoolBar toolBar_;
    TSpeedButton openButton_, saveButton_, endButton_;
    TSpeedButton quickButtons_[kQuickSlotCount];
    TmyLabel3d computerNameCaption_;
    TLabel computerNameLabel_;
    TmyLabel3d connectionNameCaption_;
    TLabel connectionNameLabel_;
    TmyLabel3d addressingCaption_;
    TRadioButton manualChoice_, automaticChoice_;
    TmyLabel3d ipAddressCaption_;
    TEdit ipAddressEdit_;
    TmyLabel3d maskCaption_;
    TEdit maskEdit_;
    TmyLabel3d gatewayCaption_;
    TEdit gatewayEdit_;
    TmyLabel3d dnsCaption_;
    TEdit dnsEdit_;
    TmyLabel3d alternateDnsCaption_;
    TEdit alternateDnsEdit_;
    TGroupBox proxyGroup_;
    TmyLabel3d proxyCaption_;
    TCheckBox proxySwitch_;
    TmyLabel3d proxyAddressCaption_;
    TEdit proxyAddressEdit_;
    TmyLabel3d proxyPortCaption_;
    TEdit proxyPortEdit_;
    TButton applyButton_;
    TStatusBar statusBar_;
    // The control of each field, by the field's place in the field table.
    std::array<TControl*, kFieldCount> fieldControls_{};

    HMENU menuBar_ = nullptr;  // owned by the window
    OwnedMenu trayMenu_;
    TAppExec launcher_;
    TMultiInstance instanceGuard_;
    std::unique_ptr<TTrayIcon> trayIcon_;  // hooks the window, so made after it
    TFileDialog openDialog_, saveDialog_;
    std::vector<std::unique_ptr<TQuickSlot>> quickSlots_;

    // The report's lines, the chosen connection, its lines in the report
    // and what the system had when it was last read.
    LineList reportLines_;
    std::string connectionName_;
    ReportSection section_;
    CurrentState current_;

    TForm2* chooser_ = nullptr;
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
