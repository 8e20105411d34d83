// Field editing: each field shows at a glance whether it still holds what
// the system has (lime) or not, and the choices switch the fields they
// govern on and off.
#include "ui/main_window.h"

namespace {

TColor StateColor(bool equal, TColor differing)
{
    return equal ? clLime : differing;
}

}  // namespace

void TForm1::Edit2Change()
{
    for (const FieldSpec& spec : kFields) {
        if (spec.kind == FieldKind::Text)
            FieldControl(spec.field).SetColor(StateColor(FieldText(spec.field) == Current.*spec.current, clWindow));
    }
}

void TForm1::RadioButton1Click()
{
    if (!RadioButton1.Checked())
        return;
    EnableFieldsOf(Field::Manual, true);
    const TColor pair = StateColor(FlagAgrees(Field::Manual, true, Current), clBtnFace);
    RadioButton1.SetColor(pair);
    RadioButton2.SetColor(pair);
}

void TForm1::RadioButton2Click()
{
    if (!RadioButton2.Checked())
        return;
    // The address fields belong to manual addressing; their texts stay.
    EnableFieldsOf(Field::Manual, false);
    const TColor pair = StateColor(FlagAgrees(Field::Automatic, true, Current), clBtnFace);
    RadioButton1.SetColor(pair);
    RadioButton2.SetColor(pair);
}

void TForm1::CheckBox1Click()
{
    const bool on = CheckBox1.Checked();
    EnableFieldsOf(Field::Proxy, on);
    // A box left clear agrees with a proxy that is off or not set at all.
    CheckBox1.SetColor(StateColor(FlagAgrees(Field::Proxy, on, Current), clBtnFace));
}

void TForm1::Label1MouseMove()
{
    Label1.SetHint(Label1.Text());
}

void TForm1::Label2MouseMove()
{
    Label2.SetHint(Label2.Text());
}
