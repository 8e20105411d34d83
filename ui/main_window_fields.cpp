// The main window's side of the field table: a field's value as its control
// holds it.
#include "ui/main_window.h"

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
