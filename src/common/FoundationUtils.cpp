#include "common/FoundationUtils.h"

#include "common/AppPaths.h"
#include "common/CommonLog.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QThread>

#include <cmath>

QString formatHMS(double seconds)
{
    // A clock must not show garbage (or crash a conversion) for a bad duration.
    constexpr double kMax = 1e12;
    const qint64 total = (std::isfinite(seconds) && seconds > 0.0)
                             ? static_cast<qint64>(std::floor(std::min(seconds, kMax)))
                             : 0;
    const qint64 hours = total / 3600;
    const qint64 minutes = (total % 3600) / 60;
    const qint64 secs = total % 60;
    return QStringLiteral("%1:%2:%3")
        .arg(hours, 2, 10, QLatin1Char('0'))
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(secs, 2, 10, QLatin1Char('0'));
}

bool removeUserCacheFolder()
{
    const QString folder = AppPaths::usersFolder();
    QDir dir(folder);
    if (!dir.exists())
        return true;
    if (dir.removeRecursively())
        return true;
    qCDebug(lcCommon) << "cannot remove the user cache folder" << folder;
    return false;
}

bool isOnMainThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}
