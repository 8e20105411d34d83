// The main window's side of the field table: which control shows each field,
// and a field's value as its control holds it.
#include "ui/main_window.h"

TControl& TForm1::FieldControl(Field field)
{
    switch (field) {
    case Field::IP:
        return Edit2;
    case Field::Mask:
        return Edit3;
    case Field::Gateway:
        return Edit4;
    case Field::DNS:
        return Edit5;
    case Field::DNS2:
        return Edit8;
    case Field::Manual:
        return RadioButton1;
    case Field::Automatic:
        return RadioButton2;
    case Field::Proxy:
        return CheckBox1;
    case Field::ProxyAddress:
        return Edit6;
    case Field::ProxyPort:
        return Edit7;
    }
    return Edit2;  // not reached: every field has its case
}

std::string TForm1::FieldText(Field field)
{
    return FieldControl(field).Text();
}

void TForm1::SetFieldText(Field field, const std::string& text)
{
    FieldControl(field).SetText(text);
}

bool TForm1::FieldChecked(Field field)
{
    return dynamic_cast<TCheckControl&>(FieldControl(field)).Checked();
}

void TForm1::SetFieldChecked(Field field, bool checked)
{
    dynamic_cast<TCheckControl&>(FieldControl(field)).SetChecked(checked);
}

void TForm1::FocusField(Field field)
{
    TControl& control = FieldControl(field);
    control.SetFocus();
    if (auto* edit = dynamic_cast<TEdit*>(&control))
        edit->SelectAll();
}

void TForm1::EnableFieldsOf(Field choice, bool enabled)
{
    for (const FieldSpec& spec : kFields) {
        if (spec.enabledBy == choice)
            FieldControl(spec.field).SetEnabled(enabled);
    }
}
