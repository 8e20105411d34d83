// The connection chooser: runs the configuration report, lists the
// connections it names, and hands the chosen one to the main window.
#pragma once

#include "components/Mylabel.h"
#include "ui/base/form.h"

class TForm1;

class TForm2 : public TForm {
public:
    explicit TForm2(TForm1& form1);

    // Runs the report and lists its connections: with none the program
    // ends, with one it is taken at once, with more the user picks.
    void BuildConnectionList();
    // Finds the chosen connection's lines in the report.
    void FindConnectionSection();

    TmyLabel3d myLabel3d1;
    TListBox ListBox1;
    TButton Button1;

protected:
    void FormActivate() override;
    bool CloseQuery() override;  // FormCloseQuery

private:
    void Button1Click();

    TForm1& form1_;
};
