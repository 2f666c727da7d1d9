#pragma once

#include <QString>
#include <QVariantMap>

// One posted notification: its name and the user info the poster attached (empty when none).
struct Notification
{
    QString name;
    QVariantMap userInfo;
};
