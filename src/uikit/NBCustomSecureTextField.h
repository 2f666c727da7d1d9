#pragma once

#include "uikit/NBCustomTextField.h"

// The same field with its text hidden (bullets; copying is blocked by password mode).
class NBCustomSecureTextField : public NBCustomTextField
{
    Q_OBJECT
public:
    explicit NBCustomSecureTextField(QWidget *parent = nullptr);
};
