// Field editing: each field shows at a glance whether it still holds what
// the system has (lime) or not, and the choices switch the fields they
// govern on and off.
#include "ui/Unit1.h"

namespace {

TColor StateColor(bool equal, TColor differing)
{
    return equal ? clLime : differing;
}

}  // namespace

void TForm1::Edit2Change()
{
    const std::pair<TEdit*, const std::string*> fields[] = {
        {&Edit2, &Current.IP},
        {&Edit3, &Current.Mask},
        {&Edit4, &Current.Gateway},
        {&Edit5, &Current.DNS},
        {&Edit8, &Current.DNS2},
        {&Edit6, &Current.ProxyAddress},
        {&Edit7, &Current.ProxyPort},
    };
    for (const auto& [edit, current] : fields)
        edit->SetColor(StateColor(edit->Text() == *current, clWindow));
}

void TForm1::RadioButton1Click()
{
    if (!RadioButton1.Checked())
        return;
    for (TEdit* edit : {&Edit2, &Edit3, &Edit4, &Edit5, &Edit8})
        edit->SetEnabled(true);
    const TColor pair = StateColor(Current.DHCP != "Yes", clBtnFace);
    RadioButton1.SetColor(pair);
    RadioButton2.SetColor(pair);
}

void TForm1::RadioButton2Click()
{
    if (!RadioButton2.Checked())
        return;
    for (TEdit* edit : {&Edit2, &Edit3, &Edit4, &Edit5, &Edit8})
        edit->SetEnabled(false);
    const TColor pair = StateColor(Current.DHCP != "No", clBtnFace);
    RadioButton1.SetColor(pair);
    RadioButton2.SetColor(pair);
}

void TForm1::CheckBox1Click()
{
    const bool on = CheckBox1.Checked();
    Edit6.SetEnabled(on);
    Edit7.SetEnabled(on);
    // A box left clear agrees with a proxy that is off or not set at all.
    CheckBox1.SetColor(StateColor(on == (Current.ProxyOn == 1), clBtnFace));
}

void TForm1::Label1MouseMove()
{
    Label1.SetHint(Label1.Text());
}

void TForm1::Label2MouseMove()
{
    Label2.SetHint(Label2.Text());
}
