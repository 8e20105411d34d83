// The connection chooser: runs the configuration report, lists the
// connections it names, and hands the chosen one to the main window.
#pragma once

#include "components/label_3d.h"
#include "core/line_list.h"
#include "core/report_reader.h"
#include "wingui/form.h"

#include <string>

// What the chooser needs from the window it chooses for.
class ConnectionChooserOwner {
public:
    // Where the report's lines are kept.
    virtual LineList& ReportLines() = 0;
    // The chosen connection and its lines in the report; an empty name while
    // none is chosen.
    virtual void SetConnection(const std::string& name, const ReportSection& section) = 0;
    // Fills the window from the chosen connection's section and the registry.
    virtual void ReadCurrentState() = 0;
    // The settings file named as the program's first argument, if any.
    virtual void LoadCommandLineSettings() = 0;
    // Ends the program when there is nothing to choose from, keeping its
    // settings as any close does.
    virtual void EndProgram() = 0;

protected:
    ~ConnectionChooserOwner() = default;
};

class TForm2 : public TForm {
public:
    // Centred over `ownerWindow` whenever it is shown.
    TForm2(HWND ownerWindow, ConnectionChooserOwner& owner);

    // Runs the report and lists its connections: with none the program
    // ends, with one it is taken at once, with more the user picks.
    void BuildConnectionList();
    // Finds the chosen connection's lines in the report.
    ReportSection FindConnectionSection(const std::string& connectionName);

protected:
    void FormActivate() override;
    bool CloseQuery() override;

private:
    void OnOk();

    TmyLabel3d prompt_;
    TListBox connectionList_;
    TButton okButton_;

    ConnectionChooserOwner& owner_;
    std::string chosen_;  // the connection last chosen
};
