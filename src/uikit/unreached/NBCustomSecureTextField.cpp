#include "uikit/unreached/NBCustomSecureTextField.h"

NBCustomSecureTextField::NBCustomSecureTextField(QWidget *parent)
    : NBCustomTextField(parent)
{
    setEchoMode(QLineEdit::Password);
}
