#pragma once

#include <QColor>

class QLineEdit;

// Operations the forms apply to any text field.
class TextFieldStyle
{
public:
    // The account placeholder look (12 px, RGB 101, 101, 103) over the field's placeholder text;
    // then clears the field's value, as the forms expect.
    static void setPlaceholder(QLineEdit *field);
    // Selects that range of the field's text (nothing for a missing field).
    static void selectRange(QLineEdit *field, int start, int length);
    // The caret follows the text colour in Qt: sets both.
    static void setInsertionPointColor(QLineEdit *field, const QColor &colour);
    // Borderless, clear background, white text and caret: the dark forms' field.
    static void applyDarkField(QLineEdit *field);

private:
    TextFieldStyle() = delete;
};
