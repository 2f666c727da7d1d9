#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// One row of the general settings, as its description decodes: the keys are the field names.
// Decoding is strict in the manner of a record decoder: a required key missing, or any key of
// the wrong type, fails the whole row.
struct OOGeneralModel
{
    // What a row does.
    enum Type : qint64 {
        autoConnection = 0,
        notifications = 2,
        lineOrder = 3,
        language = 4,
        resetAllSettings = 5,
        clearAllCache = 6,
    };

    QString title;
    std::optional<QString> subTitle;
    std::optional<bool> state;
    std::optional<QString> info;
    qint64 type = 0;
    std::optional<double> cellHight;
    bool hasSubTitle = false;
    bool hasArrow = false;

    static std::optional<OOGeneralModel> fromJson(const QJsonObject &json);
    QJsonObject toJson() const;
};
