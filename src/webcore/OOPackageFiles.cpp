#include "webcore/OOPackageFiles.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>

#include "common/AppPaths.h"
#include "common/JsonUtils.h"
#include "common/ProtocolConfig.h"
#include "common/WholeFile.h"
#include "webcore/WebLog.h"

const QString OOPackageFiles::kVersionList = QStringLiteral("resourcePackageVersion");
const QString OOPackageFiles::kRouterList = QStringLiteral("routerfiles");
const QString OOPackageFiles::kSettingList = QStringLiteral("systemsetting");

namespace {

std::optional<QJsonObject> readJsonFile(const QString &path, bool logFailure)
{
    QFile file(path);
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly)) {
        if (logFailure)
            webLog(QStringLiteral("内容解析失败"), Q_FUNC_INFO);
        return std::nullopt;
    }
    return JsonUtils::jsonObjectFromString(QString::fromUtf8(file.readAll()));
}

} // namespace

QString OOPackageFiles::listPath(const QString &name)
{
    return AppPaths::dataFolder() + QLatin1Char('/') + name;
}

QString OOPackageFiles::installedPath(const QString &name, const QString &extension)
{
    return AppPaths::privateFolder() + QLatin1Char('/') + name + extension;
}

std::optional<QJsonObject> OOPackageFiles::readDataFolderFile(const QString &name)
{
    AppPaths::ensureFolder(AppPaths::privateFolder(), true);
    return readJsonFile(listPath(name), true);
}

std::optional<QJsonObject> OOPackageFiles::readBundledResource(const QString &name)
{
    return readJsonFile(AppPaths::resourcePath(name), false);
}

std::optional<QJsonObject> OOPackageFiles::readList(const QString &name)
{
    if (std::optional<QJsonObject> list = readDataFolderFile(name))
        return list;
    return readBundledResource(name);
}

std::optional<QString> OOPackageFiles::writeList(const QString &name, const QJsonObject &list)
{
    if (!AppPaths::ensureFolder(AppPaths::dataFolder(), true))
        return QStringLiteral("the data folder cannot be created");
    // Whole or not at all: on a full disk the list the client has stays as it was.
    const QString error = WholeFile::write(listPath(name), QJsonDocument(list).toJson(QJsonDocument::Compact));
    if (!error.isEmpty())
        return error;
    return std::nullopt;
}

bool OOPackageFiles::isPlainName(const QString &name)
{
    static const QRegularExpression plain(QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z0-9._-]+")));
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    return plain.match(name).hasMatch();
}

QString OOPackageFiles::packagePassword()
{
    return ProtocolConfig::resourceArchivePassword();
}
