// The main window: the connection's TCP/IP and proxy settings, the menus and
// tool bar that act on them, and the program's start-up and close.
#pragma once

#include "components/Mylabel.h"
#include "ui/commands.h"
#include "ui/base/container.h"
#include "ui/base/form.h"
#include "ui/base/label.h"
#include "ui/base/speedbutton.h"

#include <string>

class TForm1 : public TForm {
public:
    TForm1();
    ~TForm1() override;

    // The start-up steps after construction; false when the program must end.
    bool FormCreate();
    // Where the window's placement is kept: the executable's path with ".ini".
    static std::string ProgramIniPath();

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

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool CloseQuery() override;  // FormCloseQuery
    void MenuCommand(int id) override;

private:
    void CreateDesign();
    void CreateMenus();
    void BindEvents();
    void RightAlignHelpMenu();
    void ReadPlacement();
    void WritePlacement();
    LRESULT QueryEndSession();

    void Zavt1Click();

    HACCEL accelerators_ = nullptr;
};
