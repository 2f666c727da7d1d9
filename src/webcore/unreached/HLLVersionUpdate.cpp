#include "webcore/unreached/HLLVersionUpdate.h"

HLLVersionUpdate::HLLVersionUpdate(QObject *parent)
    : QObject(parent)
{
}
