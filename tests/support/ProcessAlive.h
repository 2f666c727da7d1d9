#pragma once

#include <QtGlobal>

#include "support/ProcScan.h"

// Whether the process runs; a zombie, which only waits for its parent to take its status, does not.
inline bool processAlive(qint64 pid)
{
    return ProcScan::alive(pid_t(pid));
}
