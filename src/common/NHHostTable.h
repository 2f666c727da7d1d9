#pragma once

#include "common/NamedJsonTable.h"

// The "Host" table of the local database: JSON texts by unique name ("resource_version", and the
// fail-over lists "historyHostsKey" and "kRemoteUrlsKey").
class NHHostTable : public NamedJsonTable
{
public:
    NHHostTable();
};
