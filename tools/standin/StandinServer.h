#pragma once

#include <QJsonObject>
#include <QMap>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "StandinInstaller.h"
#include "StandinState.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}

// The HTTP side of the stand-in: routes encrypted API paths to StandinState, serves the plain
// probe, the remote host list and the static files, and misbehaves on demand. Misbehaviour is
// set per plain API path (or "*" for all) through POST /__control or a scenario file:
//   {"faults": [{"path": "/api/...", "kind": "no_etag", "count": 1, "delay_ms": 3000}]}
// kinds: no_etag, wrong_etag, bad_body, fail, error101, C238, C5000, delay, http500, close,
// endless (a chunked body that never ends, until the client hangs up), endless_gzip (the same,
// gzip-encoded: a MiB of body per KiB sent), trickle (a chunked body of one byte every "delay_ms",
// for at most a minute), hold (the answer is made when the request comes, from the state as it
// finds it, and sent only when {"release_held": true} comes or "delay_ms" has passed, so that an
// answer to a later request can overtake it). /__records "streams" says how many bytes the endless
// and trickling bodies sent, and how many of them the client stopped; "held" how many answers were
// held and how many of them have been sent whole.
class StandinServer
{
public:
    StandinServer();
    ~StandinServer();

    // Binds 127.0.0.1:port (0 = any free port); the bound port, or -1 with the reason. A port
    // another process listens on is refused, never shared.
    int bind(int port, QString *error = nullptr);
    void run();   // blocks until stop()
    void stop();

    bool applyControl(const QJsonObject &control);

    // Connections served at once.
    static constexpr int kWorkers = 64;

private:
    struct Fault
    {
        QString kind;
        int remaining = -1;   // -1: for ever
        int delayMs = 0;
    };

    void routes();
    void handleApi(const httplib::Request &req, httplib::Response &res);
    void handlePlain(const httplib::Request &req, httplib::Response &res);
    void handleProbe(const httplib::Request &req, httplib::Response &res);
    void handleStatic(const httplib::Request &req, httplib::Response &res);
    void serveInstaller(const httplib::Request &req, httplib::Response &res);
    void handleUpload(const StandinState::Request &request, const httplib::Request &req, httplib::Response &res);
    // Takes one use of the fault for the path; nothing when none is set.
    std::optional<Fault> takeFault(const QString &path);
    // True when the fault already produced the whole response.
    bool applyTransportFault(const std::optional<Fault> &fault, httplib::Response &res);
    // How the reply body is sealed: with the API key, the upload key, or not at all (a request
    // whose envelope says "encrypt_resp": "0").
    enum class Seal { ApiKey, UploadKey, None };
    // `sent` runs once the body has been written whole.
    void sendSealed(const std::optional<Fault> &fault, QJsonObject reply, httplib::Response &res, Seal seal,
                    const std::function<void()> &sent = {});
    // A download held back ("hold_end") goes on after this even when nobody released it, so a
    // test that failed before its release leaves no connection waiting for ever.
    static constexpr int kHeldDownloadBoundMs = 60000;
    // Waits until the held answers are released, or boundMs at most.
    void holdAnswer(int boundMs);
    void releaseHeld();

    std::unique_ptr<httplib::Server> m_server;
    std::unique_ptr<StandinState> m_state;
    StandinInstaller m_installer;
    std::mutex m_faultMutex;
    QMap<QString, Fault> m_faults;
    int m_port = -1;
    // Shared with the connection threads that stream endless and trickling bodies.
    std::shared_ptr<std::atomic<qint64>> m_streamedBytes = std::make_shared<std::atomic<qint64>>(0);
    std::shared_ptr<std::atomic<int>> m_streamsStopped = std::make_shared<std::atomic<int>>(0);
    std::mutex m_holdMutex;
    std::condition_variable m_holdReleased;
    quint64 m_releases = 0;
    std::atomic<int> m_heldAnswers = 0;
    std::shared_ptr<std::atomic<int>> m_heldSent = std::make_shared<std::atomic<int>>(0);
};
