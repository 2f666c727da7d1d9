#include "common/NHHostTable.h"

NHHostTable::NHHostTable()
    : NamedJsonTable(QStringLiteral("Host"))
{
}
