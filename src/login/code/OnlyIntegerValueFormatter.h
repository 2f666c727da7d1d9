#pragma once

#include <QValidator>

// The code boxes' and the phone field's input rule: ASCII digits only (the empty text too).
// Signs and blanks are refused: a code or a phone number with a space or "-" in it is never
// what the user meant, and a blank would otherwise count as a typed digit.
class OnlyIntegerValueFormatter : public QValidator
{
    Q_OBJECT
public:
    explicit OnlyIntegerValueFormatter(QObject *parent = nullptr);

    State validate(QString &input, int &pos) const override;
    // The partial-string check: true when the whole text may stand in the field.
    static bool isPartialStringValid(const QString &text);
};
