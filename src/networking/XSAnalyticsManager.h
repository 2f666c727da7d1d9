#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class AnalyticsUploader;
class WorkerThread;

// Analytics events: each call records one event with the app identity, the current user's
// fields and the time, and signs it like every API request, on the calling (GUI) thread, where
// the road the client's own requests take (the proxy) is chosen too; a worker thread uploads it.
// Where that road changes (the client connects or disconnects), the GUI thread chooses it again
// and tells the worker, and the events that have not left yet take the new road. At the start an
// event waits, bounded, while the desktop still names the listener a killed run left there
// (StartRestoreGate). A failed upload is dropped; the outcome of each is only announced
// (`uploaded`, on the GUI thread).
class XSAnalyticsManager : public QObject
{
    Q_OBJECT
public:
    static XSAnalyticsManager &shared();
    ~XSAnalyticsManager() override;

    void track(const QString &event, const std::optional<QString> &url = std::nullopt,
               const std::optional<QString> &dataId = std::nullopt,
               const std::optional<QJsonObject> &params = std::nullopt);

    // The event record as uploaded (before the envelope). Pure apart from reading the user.
    static QJsonObject buildEvent(const QString &event, const std::optional<QString> &url,
                                  const std::optional<QString> &dataId, const std::optional<QJsonObject> &params);

    // Runs `task` on the worker thread, queued behind the uploads. For tests.
    void runOnWorkerForTesting(std::function<void()> task);

Q_SIGNALS:
    // Emitted on this object's (the GUI) thread, from the event loop, once for each event whose
    // upload the worker ended (delivered or dropped). An event tracked once the program is ending
    // (the worker stopped), or one still waiting or under way when the worker stops, gets none.
    void uploaded(const QString &event, bool delivered);

private:
    explicit XSAnalyticsManager(QObject *parent = nullptr);
    // Seals the event for the road the service's address takes now and hands it to the worker.
    void send(const QString &event, const QJsonObject &record, const QUrl &target);
    void announce(const QString &event, bool delivered);
    // Tells the worker the road to the service, chosen again after Qt's road changed.
    void roadChanged();
    // Ends the uploads on the worker thread and joins it: before the application object goes
    // (the process teardown) and at the latest in the destructor. Events tracked after it are
    // dropped.
    void stopWorker();

    std::unique_ptr<WorkerThread> m_worker;
    // Lives on the worker thread: made there at its first upload, deleted there as it stops.
    std::unique_ptr<AnalyticsUploader> m_uploader;
};
