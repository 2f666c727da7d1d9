#include "settings/general/NBLanguageViewController.h"

#include "common/Localization.h"
#include "settings/general/GeneralSettings.h"

NBLanguageViewController::NBLanguageViewController(QWidget *parent)
    : GeneralPickerBase(parent)
    , language(currentAppLanguage())
{
}

void NBLanguageViewController::viewDidLoad()
{
    GeneralPickerBase::viewDidLoad();
    reloadData();
}

QStringList NBLanguageViewController::titleData()
{
    return {QStringLiteral("Chinese"), QStringLiteral("English"), QStringLiteral("Japanese"), QStringLiteral("Korean"),
            QStringLiteral("Traditional Chinese")};
}

QStringList NBLanguageViewController::languageData()
{
    return {QStringLiteral("zh-Hans"), QStringLiteral("en"), QStringLiteral("ja"), QStringLiteral("ko"),
            QStringLiteral("zh-Hant")};
}

QString NBLanguageViewController::titleText() const
{
    return localizedByAppLanguage(QStringLiteral("GENERAL_LANGUAGE"));
}

QString NBLanguageViewController::rowTitle(int row) const
{
    return localizedByAppLanguage(titleData().value(row));
}

bool NBLanguageViewController::rowChecked(int row) const
{
    return language && *language == languageData().value(row);
}

bool NBLanguageViewController::shouldSelectRow(int row)
{
    if (row < 0 || row >= numberOfRows())
        return false;
    GeneralSettings::storeLanguage(languageData().at(row));
    return false;
}
