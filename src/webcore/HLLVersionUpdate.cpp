#include "webcore/HLLVersionUpdate.h"

HLLVersionUpdate::HLLVersionUpdate(QObject *parent)
    : QObject(parent)
{
}
