#include "networking/HHProductVersion.h"

const JsonRecordCodec<HHProductVersion> &HHProductVersion::codec()
{
    static const JsonRecordCodec<HHProductVersion> fields{
        {QStringLiteral("version"), &HHProductVersion::version},
        {QStringLiteral("state"), &HHProductVersion::state},
    };
    return fields;
}
