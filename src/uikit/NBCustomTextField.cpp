#include "uikit/NBCustomTextField.h"

#include "uikit/TextFieldStyle.h"

NBCustomTextField::NBCustomTextField(QWidget *parent)
    : QLineEdit(parent)
{
    TextFieldStyle::applyDarkField(this);
}
