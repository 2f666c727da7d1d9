#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// The files the resource packages keep: JSON lists in the data folder ("resourcePackageVersion",
// "routerfiles", "systemsetting") that fall back to a copy of the same name in the resource folder,
// and the installed packages in the data folder's "private" folder.
class OOPackageFiles
{
public:
    static const QString kVersionList;   // "resourcePackageVersion"
    static const QString kRouterList;    // "routerfiles"
    static const QString kSettingList;   // "systemsetting"

    // The JSON object stored in the data folder under that name, or nothing (no file, unreadable:
    // "内容解析失败", not a JSON object). Creates the private folder first when it is missing.
    static std::optional<QJsonObject> readDataFolderFile(const QString &name);
    // The JSON object of the resource of that name (no extension), or nothing.
    static std::optional<QJsonObject> readBundledResource(const QString &name);
    // The data folder's list, and only when it has none, the bundled copy.
    static std::optional<QJsonObject> readList(const QString &name);

    // Writes the list as compact UTF-8 JSON, replacing the whole file in one rename. The reason
    // when it could not (the old file is then untouched).
    static std::optional<QString> writeList(const QString &name, const QJsonObject &list);

    static QString listPath(const QString &name);
    // The data folder's private folder + name + extension (".acl", ".zip").
    static QString installedPath(const QString &name, const QString &extension);

    // Text from the server may become a file name only when it is a plain name: letters, digits,
    // ".", "_" and "-", and neither "." nor "..".
    static bool isPlainName(const QString &name);

    // The archive password of every downloaded package.
    static QString packagePassword();

private:
    OOPackageFiles() = delete;
};
