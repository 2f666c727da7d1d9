#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

// Runs the loopback stand-in service ("ostrel-standin", built beside the test executables) as a
// real process and drives it over its control endpoint.
class StandinProcess
{
public:
    StandinProcess() = default;
    ~StandinProcess();
    StandinProcess(const StandinProcess &) = delete;
    StandinProcess &operator=(const StandinProcess &) = delete;

    // Starts it on a free loopback port; false (with the reason in errorText()) on failure.
    bool start(const QStringList &extraArguments = {});
    void stop();
    bool isRunning() const;

    int port() const { return m_port; }
    qint64 processId() const { return m_process ? m_process->processId() : 0; }
    QString baseUrl() const;
    QString errorText() const { return m_error; }

    // POST /__control with the object; true when the service accepted it.
    bool control(const QJsonObject &command) const;
    // Sets one misbehaviour: kind as the service names it, for `count` requests (-1: for ever).
    bool fault(const QString &path, const QString &kind, int count = -1, int delayMs = 0) const;
    bool clearFaults() const;
    QJsonObject records() const;
    // Whether a password field of a recorded request (kept as {salt, password_sha256}, never as
    // typed) was `typed`.
    static bool recordedPasswordIs(const QJsonValue &recorded, const QString &typed);

    static QString executablePath();

private:
    std::unique_ptr<QProcess> m_process;
    int m_port = -1;
    QString m_error;
};

// Small synchronous HTTP helpers for tests (a local event loop, short time-out).
namespace TestHttp {
QByteArray get(const QString &url, int *status = nullptr, int timeoutMs = 5000);
QByteArray post(const QString &url, const QByteArray &body, int *status = nullptr, int timeoutMs = 5000);
}
