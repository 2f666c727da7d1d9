#pragma once

#include <QtGlobal>

#include <functional>
#include <optional>

#include "networking/NetError.h"

// How far a download has come.
struct DownloadProgress
{
    qint64 received = 0;
    qint64 total = -1;   // -1 while the size is unknown
    double fraction() const { return total > 0 ? double(received) / double(total) : 0.0; }
};

// Hears a download: progress (done false), then exactly one outcome: done, or a failure.
using DownloadHandler = std::function<void(std::optional<DownloadProgress>, bool, std::optional<NetError>)>;
