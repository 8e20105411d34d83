// Field editing: each field shows at a glance whether it still holds what
// the system has (lime) or not, and the choices switch the fields they
// govern on and off.
#include "ui/main_window.h"

namespace {

// What the colour tells, said to a screen reader.
const char kCurrentStateDescription[] = "aktuální stav";
const char kDifferingDescription[] = "liší se od aktuálního stavu";

}  // namespace

void TForm1::ShowFieldState(Field field, bool current)
{
    // One decision for the eye and the ear: the colour and the description
    // cannot disagree.
    TControl& control = FieldControl(field);
    const TColor differing = Spec(field).kind == FieldKind::Text ? clWindow : clBtnFace;
    control.SetColor(current ? clLime : differing);
    control.SetAccessibleDescription(current ? kCurrentStateDescription : kDifferingDescription);
}

void TForm1::OnFieldTextChanged()
{
    for (const FieldSpec& spec : kFields) {
        if (spec.kind == FieldKind::Text)
            ShowFieldState(spec.field, FieldText(spec.field) == current_.*spec.current);
    }
}

void TForm1::OnManualChosen()
{
    if (!manualChoice_.Checked())
        return;
    EnableFieldsOf(Field::Manual, true);
    const bool agrees = FlagAgrees(Field::Manual, true, current_);
    ShowFieldState(Field::Manual, agrees);
    ShowFieldState(Field::Automatic, agrees);
}

void TForm1::OnAutomaticChosen()
{
    if (!automaticChoice_.Checked())
        return;
    // The address fields belong to manual addressing; their texts stay.
    EnableFieldsOf(Field::Manual, false);
    const bool agrees = FlagAgrees(Field::Automatic, true, current_);
    ShowFieldState(Field::Manual, agrees);
    ShowFieldState(Field::Automatic, agrees);
}

void TForm1::OnProxySwitched()
{
    const bool on = proxySwitch_.Checked();
    EnableFieldsOf(Field::Proxy, on);
    // A box left clear agrees with a proxy that is off or not set at all.
    ShowFieldState(Field::Proxy, FlagAgrees(Field::Proxy, on, current_));
}
