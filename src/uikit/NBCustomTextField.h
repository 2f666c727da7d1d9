#pragma once

#include <QLineEdit>

// The dark forms' editable field: borderless, clear background, white text and white caret.
class NBCustomTextField : public QLineEdit
{
    Q_OBJECT
public:
    explicit NBCustomTextField(QWidget *parent = nullptr);
};
