#include "networking/OORequestLogReporter.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QPointer>

#include "common/RequestLogTable.h"
#include "common/GuiThread.h"
#include "networking/NetworkLog.h"
#include "networking/OONetWork.h"
#include "networking/OONetWorkTool.h"
#include "common/ApiPaths.h"

OORequestLogReporter::OORequestLogReporter(QObject *parent)
    : QObject(parent)
{
}

OORequestLogReporter &OORequestLogReporter::shared()
{
    static OORequestLogReporter *instance = GuiThread::adopt(new OORequestLogReporter());
    return *instance;
}

void OORequestLogReporter::uploadPending()
{
    GuiThread::run(this, [this] { upload(); });
}

void OORequestLogReporter::upload()
{
    if (m_uploading)
        return;
    const std::vector<RequestLogTable::Record> rows = RequestLogTable().fetchOldest(kBatchSize);
    if (rows.empty())
        return;
    m_uploading = true;
    QJsonArray logs;
    QList<qint64> ids;
    for (const RequestLogTable::Record &row : rows) {
        ids << row.id;
        logs.append(QJsonObject{{QStringLiteral("method"), row.method},
                                {QStringLiteral("path"), row.path},
                                {QStringLiteral("status"), row.httpStatus},
                                {QStringLiteral("duration_ms"), row.durationMs},
                                {QStringLiteral("time"), row.time.toUTC().toString(Qt::ISODateWithMs)},
                                {QStringLiteral("error_code"), row.errorCode}});
    }
    const quint64 attempt = ++m_attempt;
    QPointer<OORequestLogReporter> self(this);
    const QString url = OONetWorkTool::apiUrl(ApiPaths::kRequestLog);
    OONetWork::shared().requestData(QStringLiteral("POST"), url, true, QJsonObject{{QStringLiteral("logs"), logs}}, std::nullopt,
                                    [self, attempt, ids](std::optional<QJsonObject> response, std::optional<NetError>) {
        if (!self || self->m_attempt != attempt || !self->m_uploading)
            return;
        // Every request completes (a foreign fingerprint as a failure), so the rows of an
        // unanswered upload are kept and the next trigger sends them again.
        self->finish(response && response->value(QStringLiteral("success")).toBool(), ids);
    });
}

void OORequestLogReporter::finish(bool accepted, const QList<qint64> &ids)
{
    m_uploading = false;
    if (accepted && !RequestLogTable().deleteIds(ids))
        qCWarning(lcNetwork) << "accepted request-log rows could not be deleted; they may be sent again";
    qCDebug(lcNetwork) << "request log upload of" << ids.size() << "rows" << (accepted ? "accepted" : "kept for later");
    Q_EMIT uploadFinished(accepted, int(ids.size()));
}
