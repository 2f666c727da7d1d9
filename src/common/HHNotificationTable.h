#pragma once

#include "common/NamedJsonTable.h"

// The "Notification" table of the local database: JSON texts by unique name ("splash",
// "resource_version").
class HHNotificationTable : public NamedJsonTable
{
public:
    HHNotificationTable();
};
