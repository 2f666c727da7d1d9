#include "settings/general/NBSortViewController.h"

#include "common/Localization.h"
#include "settings/general/GeneralSettings.h"

NBSortViewController::NBSortViewController(QWidget *parent)
    : GeneralPickerBase(parent)
    , language(currentAppLanguage())
{
}

void NBSortViewController::viewDidLoad()
{
    GeneralPickerBase::viewDidLoad();
    orderName = GeneralSettings::lineOrderText();
    reloadData();
}

QString NBSortViewController::titleText() const
{
    return localizedByAppLanguage(QStringLiteral("GENERAL_ORDER"));
}

QString NBSortViewController::rowTitle(int row) const
{
    return localizedByAppLanguage(row == 0 ? QStringLiteral("GENERAL_ORDER_DEFAULT") : QStringLiteral("GENERAL_ORDER_LATENCY"));
}

bool NBSortViewController::rowChecked(int row) const
{
    return orderName && *orderName == rowTitle(row);
}

bool NBSortViewController::shouldSelectRow(int row)
{
    if (row < 0 || row >= numberOfRows())
        return false;
    GeneralSettings::storeLineOrder(row);
    dismissController();
    return false;
}
