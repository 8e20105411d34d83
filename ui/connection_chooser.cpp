// The connection chooser: the report, the list of connections and the
// hand-over of the chosen one.
#include "ui/connection_chooser.h"

#include "core/phase_hook.h"
#include "win32/command_capture.h"
#include "wingui/application.h"

namespace {

const char kPrompt[] = "Vyberte připojení, se kterým chcete pracovat:";
const char kWaiting[] = "Prosím čekejte...";
const char kReportCommand[] = "netsh interface ip show config";
const char kNoConnectionMessage[] = "Nebylo nalezeno žádné síťové připojení.\r\n"
                                    "Program nemá co nastavovat, a proto bude ukončen.\r\n\r\n"
                                    "Ukončit program.";
const char kNothingSelectedMessage[] = "Není vybráno žádné připojení.";

}  // namespace

TForm2::TForm2(HWND ownerWindow, ConnectionChooserOwner& owner)
    : owner_(owner)
{
    CreateForm(
        {
            "TForm2",
            "Výběr z dostupných síťových připojení",
            WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
            0,
            0,
            363,
            173,  // client area
            FontSpec{"Tahoma", 11},
            TPosition::OwnerCenter,
            WS_EX_DLGMODALFRAME,
        },
        ownerWindow);
    static const FontSpec promptFont{"Tahoma", 13};
    CreateControls({
        {&prompt_, nullptr, kPrompt, 40, 8, 261, 16, coNone, &promptFont},
        {&connectionList_, nullptr, "", 0, 32, 361, 97, coTabStop},
        {&okButton_, nullptr, "OK", 144, 140, 81, 25, coTabStop | coDefault},
    });
    prompt_.SetAStyle3D(Resit3d);
    SendMessageA(connectionList_.Handle(), LB_SETITEMHEIGHT, 0, Scaled(13));
    connectionList_.OnDblClick = [this](TComponent*) { OnOk(); };
    okButton_.OnClick = [this](TComponent*) { OnOk(); };
}

void TForm2::FormActivate()
{
    MarkPhase(Phase::Start, "chooser shown and activated");
    try {
        connectionList_.Clear();
        BuildConnectionList();
    } catch (const std::exception& error) {
        // Without the report, or without memory for its list, there is
        // nothing to choose from: the same end as a report without
        // connections, after saying why.
        Application.ShowException(error);
        owner_.EndProgram();
    }
}

void TForm2::BuildConnectionList()
{
    prompt_.SetText(kWaiting);
    SetEnabled(false);  // nothing may be chosen from a half-built list
    owner_.SetConnection("", {});

    LineList& report = owner_.ReportLines();
    report.Clear();
    CaptureCommandOutput(kReportCommand, report);
    if (Application.Terminated())
        return;  // ended while the report ran
    MarkPhase(Phase::Start, "report captured");

    for (int i = 0; i < report.Count(); ++i) {
        ConvertOemToAnsi(report.MutableData(i), report.Get(i).size());
        if (const auto name = ConnectionNameFromLine(report.Get(i)))
            connectionList_.Add(*name);
    }
    MarkPhase(Phase::Start, "report converted and scanned");

    switch (connectionList_.Count()) {
    case 0:
        Application.ShowMessage(kNoConnectionMessage);
        owner_.EndProgram();
        break;
    case 1:
        SetEnabled(true);
        connectionList_.SetItemIndex(0);
        PostMessageA(handle_, WM_CLOSE, 0, 0);
        break;
    default:
        SetEnabled(true);
        prompt_.SetText(kPrompt);
        // The item with the focus rectangle is the one chosen, so that
        // Enter takes what the list shows: the connection last chosen (after
        // an apply, the one just applied), else the first.
        connectionList_.SetItemIndex(0);
        for (int i = 0; i < connectionList_.Count() && !chosen_.empty(); ++i) {
            if (connectionList_.Item(i) == chosen_)
                connectionList_.SetItemIndex(i);
        }
        // The report's console had the activation; the question needs it.
        ComeToFront(connectionList_.Handle());
    }
}

ReportSection TForm2::FindConnectionSection(const std::string& connectionName)
{
    return ::FindConnectionSection(owner_.ReportLines(), connectionName);
}

bool TForm2::CloseQuery()
{
    // While the report runs the list is half-built and the dialog disabled:
    // a close that reaches it all the same (posted by another program)
    // chooses nothing.
    if (!Enabled())
        return false;
    const int selected = connectionList_.ItemIndex();
    if (selected < 0) {
        Application.ShowMessage(kNothingSelectedMessage);
        // The choice is made in the list: the arrows work there at once.
        connectionList_.SetFocus();
        return false;
    }
    MarkPhase(Phase::Start, "close request handled");
    const std::string connectionName = connectionList_.Item(selected);
    chosen_ = connectionName;
    owner_.SetConnection(connectionName, FindConnectionSection(connectionName));
    MarkPhase(Phase::Start, "section found");
    owner_.ReadCurrentState();
    MarkPhase(Phase::Start, "state read and shown");
    owner_.LoadCommandLineSettings();
    return true;
}

void TForm2::OnOk()
{
    Close();
}
