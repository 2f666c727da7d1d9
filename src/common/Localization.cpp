#include "common/Localization.h"

#include "common/AppPaths.h"
#include "common/DefaultsKeys.h"
#include "common/StringsTable.h"
#include "common/UserDefaults.h"
#include "common/CommonLog.h"

#include <QDebug>
#include <QDir>
#include <QHash>
#include <QLocale>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>

namespace {

const QString kDefaultLanguage = QStringLiteral("zh-Hans");
const QString kBaseFolder = QStringLiteral("Base");
const QString kEnglish = QStringLiteral("en");

QMutex s_cacheMutex;
// "<folder>/<table>" → its texts; an unreadable table is cached as empty so it is tried once.
QHash<QString, QHash<QString, QString>> s_tables;

// A language text comes from a settings file and is joined into a path: only a plain code may.
bool isPlainLanguageCode(const QString &code)
{
    static const QRegularExpression pattern(QStringLiteral("\\A[A-Za-z0-9_-]{1,32}\\z"));
    return pattern.match(code).hasMatch();
}

QString folderFor(const QString &language)
{
    return (language == kEnglish ? kBaseFolder : language) + QStringLiteral(".lproj");
}

// By value: the cache may grow (and move its entries) on another thread meanwhile.
QHash<QString, QString> tableFor(const QString &folderPath, const QString &table)
{
    const QString cacheKey = folderPath + QLatin1Char('/') + table;
    QMutexLocker lock(&s_cacheMutex);
    auto it = s_tables.find(cacheKey);
    if (it != s_tables.end())
        return it.value();
    QStringList problems;
    const QString file = cacheKey + QStringLiteral(".strings");
    auto parsed = StringsTable::parseFile(file, &problems);
    if (!parsed)
        qCWarning(lcCommon) << "string table not readable:" << file;
    for (const QString &problem : std::as_const(problems))
        qCWarning(lcCommon) << "string table" << file << "skips" << problem;
    return s_tables.insert(cacheKey, parsed.value_or(QHash<QString, QString>())).value();
}

QStringList availableLocalizations()
{
    QStringList codes;
    const QStringList folders = QDir(AppPaths::resourceFolder())
                                    .entryList({QStringLiteral("*.lproj")}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &folder : folders) {
        const QString code = folder.chopped(6);
        codes.append(code == kBaseFolder ? kEnglish : code);
    }
    codes.removeDuplicates();
    return codes;
}

// The program's code for a system language, e.g. "zh-Hant-TW" → "zh-Hant", "ja-JP" → "ja".
QString codeForSystemLanguage(const QString &uiLanguage)
{
    const QLocale locale(uiLanguage);
    if (locale.language() == QLocale::C)
        return {};
    if (locale.language() == QLocale::Chinese) {
        const bool traditional = locale.script() == QLocale::TraditionalHanScript
                                 || (locale.script() == QLocale::AnyScript
                                     && (locale.territory() == QLocale::Taiwan
                                         || locale.territory() == QLocale::HongKong
                                         || locale.territory() == QLocale::Macau));
        return traditional ? QStringLiteral("zh-Hant") : QStringLiteral("zh-Hans");
    }
    return QLocale::languageToCode(locale.language());
}

} // namespace

std::optional<QString> currentAppLanguage()
{
    return UserDefaults::standard().stringValue(DefaultsKeys::kAppLanguageKey);
}

namespace {

QString lookUp(const std::optional<QString> &language, const QString &key, const QString &table)
{
    if (!language || !isPlainLanguageCode(*language) || !isPlainLanguageCode(table))
        return key;
    const QString folderPath = AppPaths::resourcePath(folderFor(*language));
    if (!QDir(folderPath).exists())
        return key;
    const QHash<QString, QString> texts = tableFor(folderPath, table);
    const auto it = texts.constFind(key);
    return it == texts.cend() ? key : it.value();
}

} // namespace

QString localizedByAppLanguage(const QString &key, const QString &table)
{
    return lookUp(currentAppLanguage(), key, table);
}

QString localizedBySystemLanguage(const QString &key, const QString &table)
{
    const QStringList preferred = preferredLocalizations();
    return lookUp(preferred.isEmpty() ? std::nullopt : std::optional<QString>(preferred.first()), key, table);
}

void setupAppLanguage()
{
    const std::optional<QString> language = currentAppLanguage();
    if (!language) {
        UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, kDefaultLanguage);
        UserDefaults::standard().synchronizeOrLog("storing the default language");
        return;
    }
    qCDebug(lcCommon).noquote() << QStringLiteral("用户设置语言为: ") + *language;
}

void setDefaultAppLanguage()
{
    UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, kDefaultLanguage);
    UserDefaults::standard().synchronizeOrLog("resetting the language");
}

QStringList preferredLocalizations(const QStringList &uiLanguages)
{
    const QStringList available = availableLocalizations();
    if (available.isEmpty())
        return {};
    QStringList ordered;
    for (const QString &uiLanguage : uiLanguages) {
        const QString code = codeForSystemLanguage(uiLanguage);
        if (!code.isEmpty() && available.contains(code) && !ordered.contains(code))
            ordered.append(code);
    }
    if (ordered.isEmpty())
        ordered.append(available.contains(kEnglish) ? kEnglish : available.first());
    return ordered;
}

QStringList preferredLocalizations()
{
    return preferredLocalizations(QLocale::system().uiLanguages());
}

bool isAppLanguageSystemPreferred()
{
    const std::optional<QString> language = currentAppLanguage();
    if (!language)
        return false;
    const QStringList preferred = preferredLocalizations();
    return !preferred.isEmpty() && preferred.first() == *language;
}

QString languageDisplayName()
{
    const QString language = currentAppLanguage().value_or(QString());
    QString key = QStringLiteral("English");
    if (language == QLatin1String("zh-Hans"))
        key = QStringLiteral("Chinese");
    else if (language == QLatin1String("zh-Hant"))
        key = QStringLiteral("Traditional Chinese");
    else if (language == QLatin1String("ko"))
        key = QStringLiteral("Korean");
    else if (language == QLatin1String("ja"))
        key = QStringLiteral("Japanese");
    return localizedByAppLanguage(key);
}

void clearLocalizationCache()
{
    QMutexLocker lock(&s_cacheMutex);
    s_tables.clear();
}
