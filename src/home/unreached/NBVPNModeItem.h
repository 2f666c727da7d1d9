#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

class UserDefaults;

// Only the mode list, which nothing in the client opens, reads this; kept with it. The mode in
// use is "kProxyMode" (vpn/ProxyMode.h).
// One proxy mode as the mode list shows it; the JSON form has exactly these keys.
class NBVPNModeItem
{
public:
    QString title;
    QString subTitle;
    int type = 0; // 0 smart, 1 global: the value kept under "kProxyMode"
    QString imageName;
    std::optional<bool> isSelected;

    static std::optional<NBVPNModeItem> fromJson(const QJsonObject &json);
    QJsonObject toJson() const;
    bool selected() const { return isSelected.value_or(false); }

    // The two modes, smart then global, with the stored mode marked: an absent "kProxyMode" marks
    // smart, an integer marks the mode of that type, a value of another type marks neither.
    static QList<NBVPNModeItem> loadModes(const UserDefaults &defaults);
};
