#include "app/uikit/NBCustomTextField.h"

#include "app/uikit/TextFieldStyle.h"

NBCustomTextField::NBCustomTextField(QWidget *parent)
    : QLineEdit(parent)
{
    TextFieldStyle::applyDarkField(this);
}
