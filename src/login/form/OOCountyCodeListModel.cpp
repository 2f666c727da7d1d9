#include "login/form/OOCountyCodeListModel.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "common/AppPaths.h"

OOCountyCodeListModel OOCountyCodeListModel::fromJsonBytes(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return {};
    const QJsonValue list = document.object().value(QStringLiteral("countryList"));
    if (!list.isArray())
        return {};
    OOCountyCodeListModel model;
    for (const QJsonValue &entry : list.toArray()) {
        const std::optional<OOCountyCodeModel> country =
            entry.isObject() ? OOCountyCodeModel::fromJson(entry.toObject()) : std::nullopt;
        if (!country)
            return {};
        model.countryList.append(*country);
    }
    return model;
}

OOCountyCodeListModel OOCountyCodeListModel::loadFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // The list is a few kilobytes; anything far larger is not ours.
    if (file.size() > 4 * 1024 * 1024)
        return {};
    return fromJsonBytes(file.readAll());
}

OOCountyCodeListModel OOCountyCodeListModel::loadBundled()
{
    return loadFile(AppPaths::resourcePath(QStringLiteral("country_code.json")));
}
