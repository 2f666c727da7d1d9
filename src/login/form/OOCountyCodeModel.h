#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// One country of the calling-code list: {"en": text, "zh-Hans": text, "code": integer}.
struct OOCountyCodeModel
{
    QString en;
    QString zhHans;
    int code = 0;

    // Nothing unless all three keys are there with their types (a code written as text is not).
    static std::optional<OOCountyCodeModel> fromJson(const QJsonObject &json);
    // "+" and the code: "+86".
    QString codeText() const { return QLatin1Char('+') + QString::number(code); }
};
