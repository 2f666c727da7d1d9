#pragma once

#include "uikit/NBCustomTextField.h"

// Nothing in the client creates this yet; it is kept as the kit's hidden-text field.
// The same field with its text hidden (bullets; copying is blocked by password mode).
class NBCustomSecureTextField : public NBCustomTextField
{
    Q_OBJECT
public:
    explicit NBCustomSecureTextField(QWidget *parent = nullptr);
};
