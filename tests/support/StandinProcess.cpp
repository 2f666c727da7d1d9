#include "support/StandinProcess.h"
#include "support/EndsWithTheTest.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <memory>

StandinProcess::~StandinProcess()
{
    stop();
}

QString StandinProcess::executablePath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/ostrel-standin");
}

bool StandinProcess::start(const QStringList &extraArguments)
{
    stop();
    if (!QFileInfo::exists(executablePath())) {
        m_error = QStringLiteral("missing ") + executablePath();
        return false;
    }
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    endsWithTheTest(*m_process);
    m_process->start(executablePath(), QStringList{QStringLiteral("--port"), QStringLiteral("0")} + extraArguments);
    if (!m_process->waitForStarted(5000)) {
        m_error = m_process->errorString();
        return false;
    }
    QByteArray output;
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && !output.contains('\n')) {
        if (!m_process->waitForReadyRead(int(deadline.remainingTime())))
            break;
        output += m_process->readAllStandardOutput();
    }
    const QByteArray line = output.left(output.indexOf('\n')).trimmed();
    if (!line.startsWith("listening ")) {
        m_error = QStringLiteral("no port: ") + QString::fromUtf8(output + m_process->readAllStandardError());
        stop();
        return false;
    }
    m_port = line.mid(10).toInt();
    return m_port > 0;
}

void StandinProcess::stop()
{
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(3000)) {
            m_process->kill();
            m_process->waitForFinished(3000);
        }
    }
    m_process.reset();
    m_port = -1;
}

bool StandinProcess::isRunning() const
{
    return m_process && m_process->state() == QProcess::Running;
}

QString StandinProcess::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

bool StandinProcess::control(const QJsonObject &command) const
{
    int status = 0;
    TestHttp::post(baseUrl() + QStringLiteral("/__control"), QJsonDocument(command).toJson(QJsonDocument::Compact), &status);
    return status == 200;
}

bool StandinProcess::fault(const QString &path, const QString &kind, int count, int delayMs) const
{
    QJsonObject fault{{QStringLiteral("path"), path}, {QStringLiteral("kind"), kind}, {QStringLiteral("count"), count}};
    if (delayMs > 0)
        fault.insert(QStringLiteral("delay_ms"), delayMs);
    return control(QJsonObject{{QStringLiteral("fault"), fault}});
}

bool StandinProcess::clearFaults() const
{
    return control(QJsonObject{{QStringLiteral("clear_faults"), true}});
}

QJsonObject StandinProcess::records() const
{
    return QJsonDocument::fromJson(TestHttp::get(baseUrl() + QStringLiteral("/__records"))).object();
}

bool StandinProcess::recordedPasswordIs(const QJsonValue &recorded, const QString &typed)
{
    const QJsonObject entry = recorded.toObject();
    const QString salt = entry.value(QStringLiteral("salt")).toString();
    const QString digest = entry.value(QStringLiteral("password_sha256")).toString();
    const QByteArray expected =
        QCryptographicHash::hash((salt + QLatin1Char(':') + typed).toUtf8(), QCryptographicHash::Sha256).toHex();
    return !salt.isEmpty() && digest == QString::fromLatin1(expected);
}

namespace TestHttp {

namespace {

QByteArray run(const QString &url, const QByteArray *body, int *status, int timeoutMs)
{
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(url)};
    request.setTransferTimeout(timeoutMs);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    std::unique_ptr<QNetworkReply> reply(body ? manager.post(request, *body) : manager.get(request));
    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    if (status)
        *status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return reply->readAll();
}

} // namespace

QByteArray get(const QString &url, int *status, int timeoutMs)
{
    return run(url, nullptr, status, timeoutMs);
}

QByteArray post(const QString &url, const QByteArray &body, int *status, int timeoutMs)
{
    return run(url, &body, status, timeoutMs);
}

} // namespace TestHttp
