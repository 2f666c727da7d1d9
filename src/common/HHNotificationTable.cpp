#include "common/HHNotificationTable.h"

HHNotificationTable::HHNotificationTable()
    : NamedJsonTable(QStringLiteral("Notification"))
{
}
