#include "networking/OOReachability.h"

#include <QCoreApplication>
#include <QNetworkInformation>
#include <QPointer>
#include <QTimer>

#include "common/FirstFrameGate.h"
#include "common/GuiThread.h"
#include "networking/NetworkLog.h"

namespace {

OOReachability::Status fromQt(QNetworkInformation::Reachability reachability)
{
    switch (reachability) {
    case QNetworkInformation::Reachability::Disconnected:
        return OOReachability::Status::NotReachable;
    case QNetworkInformation::Reachability::Local:
    case QNetworkInformation::Reachability::Site:
    case QNetworkInformation::Reachability::Online:
        return OOReachability::Status::Reachable;
    case QNetworkInformation::Reachability::Unknown:
        break;
    }
    return OOReachability::Status::Unknown;
}

} // namespace

OOReachability::OOReachability(QObject *parent)
    : QObject(parent)
{
}

OOReachability &OOReachability::shared()
{
    static OOReachability *instance = GuiThread::adopt(new OOReachability());
    return *instance;
}

void OOReachability::start()
{
    if (m_started)
        return;
    m_started = true;
    // Loading a back-end opens a system-bus connection: the first window need not wait for it.
    // The first state is handed over from the event loop either way, after the caller has had
    // the chance to connect (the platform itself reports changes only).
    const quint64 start = ++m_startCount;
    FirstFrameGate::defer(this, [this, start] {
        // A start undone by a reset before its turn does nothing.
        if (m_startCount != start)
            return;
        Status first = Status::Unknown;
        if (QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability)) {
            QNetworkInformation *info = QNetworkInformation::instance();
            first = fromQt(info->reachability());
            connect(info, &QNetworkInformation::reachabilityChanged, this,
                    [this](QNetworkInformation::Reachability r) { report(fromQt(r)); });
        } else {
            qCInfo(lcNetwork) << "no reachability backend; network state stays unknown";
        }
        report(first);
    });
}

void OOReachability::resetForTesting()
{
    if (QNetworkInformation *info = QNetworkInformation::instance())
        disconnect(info, nullptr, this, nullptr);
    m_started = false;
    m_reported = false;
    m_status = Status::Unknown;
    // A first report still queued from an earlier start belongs to that start.
    ++m_startCount;
}

OOReachability::Status OOReachability::status() const
{
    return m_status;
}

QString OOReachability::statusName(Status status)
{
    switch (status) {
    case Status::NotReachable:
        return QStringLiteral("notReachable");
    case Status::Reachable:
        return QStringLiteral("reachable");
    case Status::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}

void OOReachability::report(Status status)
{
    m_status = status;
    m_reported = true;
    Q_EMIT statusChanged(status);
}
