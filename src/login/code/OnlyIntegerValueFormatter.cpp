#include "login/code/OnlyIntegerValueFormatter.h"

OnlyIntegerValueFormatter::OnlyIntegerValueFormatter(QObject *parent)
    : QValidator(parent)
{
}

bool OnlyIntegerValueFormatter::isPartialStringValid(const QString &text)
{
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

QValidator::State OnlyIntegerValueFormatter::validate(QString &input, int &) const
{
    return isPartialStringValid(input) ? Acceptable : Invalid;
}
