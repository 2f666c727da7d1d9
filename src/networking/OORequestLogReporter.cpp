#include "networking/OORequestLogReporter.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QPointer>
#include <QThread>

#include "common/RequestLogTable.h"
#include "networking/GuiThread.h"
#include "networking/NetworkLog.h"
#include "networking/OONetWork.h"
#include "networking/OONetWorkTool.h"

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
    QPointer<OORequestLogReporter> self(this);
    const QString url = OONetWorkTool::apiUrl(QStringLiteral("/api/client/society_v2/commons/requestLog"));
    OONetWork::shared().requestData(QStringLiteral("POST"), url, true, QJsonObject{{QStringLiteral("logs"), logs}}, std::nullopt,
                                    [self, ids](std::optional<QJsonObject> response, std::optional<NetError>) {
        if (!self)
            return;
        self->m_uploading = false;
        const bool accepted = response && response->value(QStringLiteral("success")).toBool();
        if (accepted)
            RequestLogTable().deleteIds(ids);
        qCDebug(lcNetwork) << "request log upload of" << ids.size() << "rows" << (accepted ? "accepted" : "kept for later");
        Q_EMIT self->uploadFinished(accepted, int(ids.size()));
    });
}
