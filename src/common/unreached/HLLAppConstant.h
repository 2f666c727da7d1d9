#pragma once

#include "common/DefaultsKeys.h"

#include <QString>

// Only code nothing in the client runs reads these; kept because they name the app-group suite.
class HLLAppConstant
{
public:
    // The app-group identifier, also the suite name of the shared app-group defaults.
    static QString sharedGroupIdentifier() { return QStringLiteral("R8T2M6WQ4N.group.fenbra.mac.data"); }
    // A key of the shared app-group defaults.
    static QString is_domestic() { return DefaultsKeys::is_domestic; }

private:
    HLLAppConstant() = delete;
};
