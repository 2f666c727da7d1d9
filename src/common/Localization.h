#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The application language and the lookup of localised texts.
//
// The language is the code stored under "kAppLanguageKey" ("zh-Hans", "en", "ja", "ko",
// "zh-Hant"). Texts come from "<resources>/<code>.lproj/<table>.strings"; "en" reads
// "Base.lproj". Each table is read once per language and kept.

// The key's text in the application language; the key itself when no language is stored, the
// language has no folder, or the table lacks the key. Never fails.
QString localizedByAppLanguage(const QString &key, const QString &table = QStringLiteral("Localizable"));
// The key's text in the system's best language among the program's (preferredLocalizations()),
// whatever the user chose for the application; the key itself when there is none.
QString localizedBySystemLanguage(const QString &key, const QString &table = QStringLiteral("Localizable"));

// At start-up: stores "zh-Hans" when no language text is stored; otherwise prints the stored one.
void setupAppLanguage();
// The stored language text; nothing when absent or not a text.
std::optional<QString> currentAppLanguage();
// Stores "zh-Hans" and writes the defaults through.
void setDefaultAppLanguage();
// True when the stored language is the first of preferredLocalizations().
bool isAppLanguageSystemPreferred();
// The localised name of the stored language ("Chinese", "Traditional Chinese", "Korean",
// "Japanese", else "English").
QString languageDisplayName();

// The program's languages (the ".lproj" folders, "Base" counted as "en") ordered by the user's
// system languages; the best match comes first, "en" when none matches.
QStringList preferredLocalizations();
// The same for a given list of system languages (BCP 47 names such as "zh-Hant-TW").
QStringList preferredLocalizations(const QStringList &uiLanguages);

// Drops the cached tables (a test that writes tables, or a language pack update).
void clearLocalizationCache();
