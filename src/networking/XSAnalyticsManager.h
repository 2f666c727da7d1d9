#pragma once

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class QNetworkAccessManager;
class QThread;

// Analytics events: each call records one event with the app identity, the current user's
// fields and the time, signs it like every API request, and uploads it from a worker thread.
// A failed upload is dropped; the outcome of each is only announced (`uploaded`, on the GUI thread).
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

Q_SIGNALS:
    // Emitted on this object's (the GUI) thread, from the event loop, once for each event whose
    // upload the worker ended (delivered or dropped). An event tracked once the program is ending
    // (the worker stopped), or one still waiting or under way when the worker stops, gets none.
    void uploaded(const QString &event, bool delivered);

private:
    explicit XSAnalyticsManager(QObject *parent = nullptr);
    void upload(const QString &url, const QJsonObject &event);
    void announce(const QString &event, bool delivered);
    // Ends the worker thread and waits for it: before the application object goes (the process
    // teardown) and at the latest in the destructor. Events tracked after it are dropped.
    void stopWorker();

    QThread *m_thread = nullptr;
    QPointer<QObject> m_worker;                // lives on m_thread; gone once it has finished
    QNetworkAccessManager *m_manager = nullptr; // child of m_worker, created on m_thread
};
