#include "StandinServer.h"
#include "StandinDocuments.h"
#include "StandinFlags.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QUrlQuery>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <httplib.h>
#include <zlib.h>

#include "StandinProtocol.h"
#include "common/ApiPaths.h"
#include "common/ProtocolConfig.h"

namespace {

// An endless gzip body: each step compresses another MiB of one repeated byte, which goes out as
// about a KiB, so only a bound on the decoded body ends it, never one on the wire.
class EndlessGzip
{
public:
    EndlessGzip() { m_ready = deflateInit2(&m_stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) == Z_OK; }
    ~EndlessGzip()
    {
        if (m_ready)
            deflateEnd(&m_stream);
    }
    EndlessGzip(const EndlessGzip &) = delete;
    EndlessGzip &operator=(const EndlessGzip &) = delete;

    std::string next()
    {
        if (!m_ready)
            return {};
        static const std::string plain(1024 * 1024, 'x');
        std::string out;
        char buffer[16 * 1024];
        m_stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(plain.data()));
        m_stream.avail_in = uInt(plain.size());
        do {
            m_stream.next_out = reinterpret_cast<Bytef *>(buffer);
            m_stream.avail_out = sizeof buffer;
            deflate(&m_stream, Z_SYNC_FLUSH);
            out.append(buffer, sizeof buffer - m_stream.avail_out);
        } while (m_stream.avail_out == 0);
        return out;
    }

private:
    z_stream m_stream{};
    bool m_ready = false;
};

QString header(const httplib::Request &req, const char *name)
{
    return QString::fromStdString(req.get_header_value(name));
}

void sendJson(httplib::Response &res, const QJsonObject &object, int status = 200)
{
    res.status = status;
    res.set_content(QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString(), "application/json");
}

// A body of known length from a provider, which the HTTP library sends as it is: a text body it
// would compress with brotli at its slowest setting when the client takes "br", seconds of work
// for a megabyte answer of base64 ciphertext that shrinks by a quarter at most. `sent` runs once
// the body has been written whole.
void sendUncompressed(httplib::Response &res, std::string body, const std::string &type, std::function<void()> sent = {})
{
    auto shared = std::make_shared<std::string>(std::move(body));
    res.body.clear();
    res.headers.erase("Content-Type");
    res.set_content_provider(
        shared->size(), type,
        [shared](size_t offset, size_t length, httplib::DataSink &sink) { return sink.write(shared->data() + offset, length); },
        [sent](bool whole) {
            if (whole && sent)
                sent();
        });
}

bool isUploadPath(const QString &path)
{
    return path == ApiPaths::kCreateFeedbacks
        || path == ApiPaths::kFeedbackResend;
}

// httplib's default options add SO_REUSEPORT, which lets a second instance bind a port the first
// still listens on (and take half its connections). Reusing a port in TIME_WAIT is all we want.
void reuseAddressOnly(socket_t sock)
{
    const int yes = 1;
    ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
}

// Why 127.0.0.1:port cannot be bound, as the system says it; httplib keeps the reason to itself.
QString bindProblem(int port)
{
    const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
    if (sock < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    reuseAddressOnly(sock);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QString problem = QStringLiteral("the port cannot be bound");
    if (::bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0)
        problem = QString::fromLocal8Bit(std::strerror(errno));
    ::close(sock);
    return problem;
}

} // namespace

StandinServer::StandinServer()
    : m_server(std::make_unique<httplib::Server>())
{
    // Small replies on loopback would otherwise wait out the delayed acknowledgement.
    m_server->set_tcp_nodelay(true);
    // Every connection a test's clients hold takes a worker: an idle one until it times out (5 s),
    // a slow or endless reply for as long as it runs. The client, its pages and the test each open
    // several, so the library's one worker per core left a request waiting behind idle
    // connections on a busy run.
    m_server->new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
    m_server->set_socket_options(reuseAddressOnly);
}

StandinServer::~StandinServer() = default;

int StandinServer::bind(int port, QString *error)
{
    if (port == 0)
        m_port = m_server->bind_to_any_port("127.0.0.1");
    else
        m_port = m_server->bind_to_port("127.0.0.1", port) ? port : -1;
    if (m_port <= 0) {
        if (error)
            *error = bindProblem(port);
        return -1;
    }
    m_state = std::make_unique<StandinState>(QStringLiteral("http://127.0.0.1:%1").arg(m_port));
    routes();
    return m_port;
}

void StandinServer::run()
{
    m_server->listen_after_bind();
}

void StandinServer::stop()
{
    releaseHeld();
    m_server->stop();
}

void StandinServer::routes()
{
    // The local pages call the service from "file:" pages in Chromium, which asks first.
    m_server->set_default_headers({{"Access-Control-Allow-Origin", "*"}, {"Access-Control-Expose-Headers", "Etag"}});
    m_server->Options(".*", [](const httplib::Request &, httplib::Response &res) {
        res.status = 204;
        res.set_header("Access-Control-Allow-Methods", "GET, POST, PUT, DELETE, OPTIONS");
        res.set_header("Access-Control-Allow-Headers", "*, Authorization, Content-Type");
        res.set_header("Access-Control-Max-Age", "600");
    });
    m_server->Post("/__control", [this](const httplib::Request &req, httplib::Response &res) {
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(req.body));
        const bool ok = doc.isObject() && applyControl(doc.object());
        sendJson(res, QJsonObject{{QStringLiteral("ok"), ok}}, ok ? 200 : 400);
    });
    m_server->Get("/__records", [this](const httplib::Request &, httplib::Response &res) {
        QJsonObject records = m_state->records();
        records.insert(QStringLiteral("streams"), QJsonObject{{QStringLiteral("bytes"), qint64(m_streamedBytes->load())},
                                                              {QStringLiteral("stopped"), m_streamsStopped->load()}});
        records.insert(QStringLiteral("held"), QJsonObject{{QStringLiteral("answers"), m_heldAnswers.load()},
                                                           {QStringLiteral("sent"), m_heldSent->load()}});
        sendJson(res, records);
    });
    m_server->Get("/hostlist", [this](const httplib::Request &, httplib::Response &res) {
        const std::optional<Fault> fault = takeFault(QStringLiteral("/hostlist"));
        if (applyTransportFault(fault, res))
            return;
        res.set_content(StandinProtocol::sealHostList(m_state->remoteHosts()).toStdString(), "text/plain");
    });
    m_server->Get("/static/.*", [this](const httplib::Request &req, httplib::Response &res) { handleStatic(req, res); });
    m_server->Get("/download", [this](const httplib::Request &req, httplib::Response &res) { handleStatic(req, res); });
    m_server->Post("/static/redirect", [this](const httplib::Request &req, httplib::Response &res) { handleStatic(req, res); });
    // Benchmark baseline only: the same handlers with a plain path, plain query and plain JSON
    // reply, so the envelope's share of a round trip can be measured. Not part of the protocol.
    m_server->Get("/__plain/.*", [this](const httplib::Request &req, httplib::Response &res) { handlePlain(req, res); });
    for (const QString &key : {QStringLiteral("hosts.terms"), QStringLiteral("hosts.privacy")}) {
        const QString path = ProtocolConfig::string(key);
        if (!path.startsWith(QLatin1Char('/')))
            continue;
        m_server->Get(path.toStdString(), [](const httplib::Request &req, httplib::Response &res) {
            const std::optional<QByteArray> page = StandinDocuments::page(QString::fromStdString(req.path));
            res.set_content(page.value_or(QByteArray()).toStdString(), "text/html; charset=utf-8");
        });
    }
    const std::string probe = StandinProtocol::probePath().toStdString();
    m_server->Get(probe, [this](const httplib::Request &req, httplib::Response &res) { handleProbe(req, res); });
    auto api = [this](const httplib::Request &req, httplib::Response &res) { handleApi(req, res); };
    m_server->Get("/.*", api);
    m_server->Post("/.*", api);
    m_server->Put("/.*", api);
    m_server->Delete("/.*", api);
}

bool StandinServer::applyControl(const QJsonObject &control)
{
    if (control.value(QStringLiteral("release_held")).toBool())
        releaseHeld();
    {
        std::lock_guard lock(m_faultMutex);
        if (control.value(QStringLiteral("clear_faults")).toBool())
            m_faults.clear();
        QJsonArray faults = control.value(QStringLiteral("faults")).toArray();
        if (control.value(QStringLiteral("fault")).isObject())
            faults.append(control.value(QStringLiteral("fault")));
        for (const QJsonValue &value : std::as_const(faults)) {
            const QJsonObject object = value.toObject();
            const QString path = object.value(QStringLiteral("path")).toString(QStringLiteral("*"));
            Fault fault;
            fault.kind = object.value(QStringLiteral("kind")).toString();
            fault.remaining = object.value(QStringLiteral("count")).toInt(-1);
            fault.delayMs = object.value(QStringLiteral("delay_ms")).toInt(20000);
            if (fault.kind.isEmpty() || fault.kind == QLatin1String("none"))
                m_faults.remove(path);
            else
                m_faults.insert(path, fault);
        }
    }
    if (m_state)
        m_state->applyControl(control);
    return true;
}

std::optional<StandinServer::Fault> StandinServer::takeFault(const QString &path)
{
    std::lock_guard lock(m_faultMutex);
    QString key = path;
    if (!m_faults.contains(key))
        key = QStringLiteral("*");
    auto it = m_faults.find(key);
    if (it == m_faults.end())
        return std::nullopt;
    // The wildcard leaves the control endpoints and the static files alone.
    if (key == QLatin1String("*") && !path.startsWith(QLatin1String("/api/")))
        return std::nullopt;
    Fault fault = it.value();
    if (it->remaining > 0 && --it->remaining == 0)
        m_faults.erase(it);
    return fault;
}

bool StandinServer::applyTransportFault(const std::optional<Fault> &fault, httplib::Response &res)
{
    if (!fault)
        return false;
    if (fault->kind == QLatin1String("delay"))
        std::this_thread::sleep_for(std::chrono::milliseconds(fault->delayMs));
    if (fault->kind == QLatin1String("http500")) {
        res.status = 500;
        res.set_content("internal error", "text/plain");
        return true;
    }
    if (fault->kind == QLatin1String("endless") || fault->kind == QLatin1String("trickle")) {
        // Never silent, never done: only the client's own limits end these.
        const bool trickle = fault->kind == QLatin1String("trickle");
        const int delayMs = fault->delayMs;
        auto bytes = m_streamedBytes;
        auto stopped = m_streamsStopped;
        auto send = [trickle, delayMs, bytes, stopped](size_t offset, httplib::DataSink &sink) {
            if (trickle && offset >= size_t(60000 / std::max(1, delayMs))) {
                sink.done();
                return true;
            }
            if (trickle)
                std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            static const std::string block(64 * 1024, 'x');
            const size_t size = trickle ? 1 : block.size();
            if (!sink.write(block.data(), size)) {
                ++*stopped;
                return false;
            }
            *bytes += qint64(size);
            return true;
        };
        // Not a text type: the server would gzip a text body, and the client would see a trickle
        // of compressed bytes rather than the body as sent.
        res.set_chunked_content_provider("application/octet-stream",
                                         [send](size_t offset, httplib::DataSink &sink) { return send(offset, sink); });
        return true;
    }
    if (fault->kind == QLatin1String("endless_gzip")) {
        auto bytes = m_streamedBytes;
        auto stopped = m_streamsStopped;
        auto gzip = std::make_shared<EndlessGzip>();
        res.set_header("Content-Encoding", "gzip");
        res.set_chunked_content_provider("application/octet-stream", [gzip, bytes, stopped](size_t, httplib::DataSink &sink) {
            const std::string out = gzip->next();
            if (out.empty() || !sink.write(out.data(), out.size())) {
                ++*stopped;
                return false;
            }
            *bytes += qint64(out.size());
            return true;
        });
        return true;
    }
    if (fault->kind == QLatin1String("close")) {
        // Promise a body, then hang up before sending it.
        res.set_content_provider(1024, "text/plain", [](size_t, size_t, httplib::DataSink &) { return false; });
        return true;
    }
    return false;
}

void StandinServer::handleProbe(const httplib::Request &, httplib::Response &res)
{
    const std::optional<Fault> fault = takeFault(StandinProtocol::probePath());
    if (applyTransportFault(fault, res))
        return;
    const QString kind = fault ? fault->kind : QString();
    if (kind != QLatin1String("no_etag"))
        res.set_header("Etag", (kind == QLatin1String("wrong_etag") ? QStringLiteral("not-the-service") : StandinProtocol::expectedEtag()).toStdString());
    res.set_content("pong", "text/plain");
}

void StandinServer::handleStatic(const httplib::Request &req, httplib::Response &res)
{
    const QString path = QString::fromStdString(req.path);
    const std::optional<Fault> fault = takeFault(path);
    if (applyTransportFault(fault, res))
        return;
    if (path.startsWith(QLatin1String("/static/archives/")) && path.endsWith(QLatin1String(".zip"))) {
        const QString name = path.mid(17).chopped(4);
        if (const std::optional<StandinArchives::Archive> archive = m_state->archives().find(name)) {
            // Held as an API answer is: the archive as the request found it, sent on release.
            if (fault && fault->kind == QLatin1String("hold")) {
                holdAnswer(fault->delayMs);
                auto sent = m_heldSent;
                sendUncompressed(res, archive->bytes.toStdString(), "application/zip", [sent] { ++*sent; });
                return;
            }
            res.set_content(archive->bytes.toStdString(), "application/zip");
            return;
        }
    }
    if (path.startsWith(QLatin1String("/static/feedback/"))) {
        if (const std::optional<QByteArray> bytes = m_state->picture(path.mid(17))) {
            res.set_content(bytes->toStdString(), "image/jpeg");
            return;
        }
        res.status = 404;
        res.set_content("no such picture", "text/plain");
        return;
    }
    if (path.startsWith(QLatin1String("/static/flags/")) && path.endsWith(QLatin1String(".png"))) {
        // "delay_ms" holds the answer back, so a client's slow flag can be overtaken by a newer one.
        const QByteArray flag = StandinFlags::png(path.mid(14).chopped(4));
        if (flag.isEmpty()) {
            res.status = 404;
            res.set_content("no such flag", "text/plain");
            return;
        }
        const int delayMs = QString::fromStdString(req.get_param_value("delay_ms")).toInt();
        if (delayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(qMin(10000, delayMs)));
        res.set_content(flag.toStdString(), "image/png");
        return;
    }
    if (path.startsWith(QLatin1String("/static/images/"))) {
        res.set_content(StandinArchives::tinyPng().toStdString(), "image/png");
        return;
    }
    if (path == QLatin1String("/static/redirect") && req.has_param("to")) {
        // Sends the client on to another address, as a download mirror would.
        res.set_redirect(req.get_param_value("to"), 302);
        return;
    }
    if (path == QLatin1String("/download")) {
        // The service's download page, which the pages' "update" button opens in a browser.
        res.set_content("<!doctype html><html lang=\"zh\"><head><meta charset=\"utf-8\"><title>Ostrel 下载</title></head>"
                        "<body style=\"font-family:sans-serif;background:#12121b;color:#dee4f4;text-align:center;padding:60px\">"
                        "<h1>Ostrel</h1><p>最新版本的桌面客户端</p>"
                        "<p><a style=\"color:#a07aff\" href=\"/static/ostrel.deb\">下载 Debian 安装包</a></p>"
                        "</body></html>",
                        "text/html; charset=utf-8");
        return;
    }
    if (path == QLatin1String("/static/page.html")) {
        res.set_content("<!doctype html><html><body>stand-in page</body></html>", "text/html");
        return;
    }
    if (path == QLatin1String("/static/installer.dmg")) {
        // Sent slowly in chunks so that a client sees progress; "break_at" cuts it off there.
        const size_t size = req.has_param("size") ? std::stoull(req.get_param_value("size")) : 256 * 1024;
        const int delayMs = req.has_param("chunk_delay_ms") ? std::stoi(req.get_param_value("chunk_delay_ms")) : 10;
        const size_t breakAt = req.has_param("break_at") ? std::stoul(req.get_param_value("break_at")) : size + 1;
        auto send = [size, delayMs, breakAt](size_t offset, httplib::DataSink &sink) {
            if (offset >= breakAt)
                return false;
            if (offset >= size) {
                sink.done();
                return true;
            }
            const size_t chunk = std::min<size_t>(8192, std::min(size, breakAt) - offset);
            if (delayMs > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            const std::string data(chunk, char('A' + (offset / 8192) % 26));
            return sink.write(data.data(), data.size());
        };
        // "chunked=1": no length announced, as a server that streams the file would send it.
        if (req.has_param("chunked")) {
            res.set_chunked_content_provider("application/octet-stream",
                                             [send](size_t offset, httplib::DataSink &sink) { return send(offset, sink); });
            return;
        }
        res.set_content_provider(size, "application/octet-stream",
                                 [send](size_t offset, size_t, httplib::DataSink &sink) { return send(offset, sink); });
        return;
    }
    if (path == QLatin1String("/static/ostrel.deb")) {
        serveInstaller(req, res);
        return;
    }
    res.status = 404;
    res.set_content("not found", "text/plain");
}

void StandinServer::serveInstaller(const httplib::Request &req, httplib::Response &res)
{
    // The upgrade package, slowly and in chunks so that a client shows progress. "break_at" cuts
    // the transfer off there; "chunked=1" sends it without a length; "hold_end=1" keeps its last
    // chunk back, as a held answer, until the held answers are released: a test sees it running,
    // with its progress so far, for as long as it needs, however slow the machine.
    const std::string package = m_installer.package().toStdString();
    if (package.empty()) {
        res.status = 500;
        res.set_content(("no installer: " + m_installer.errorText()).toStdString(), "text/plain");
        return;
    }
    const int delayMs = req.has_param("chunk_delay_ms") ? std::stoi(req.get_param_value("chunk_delay_ms")) : 20;
    const size_t size = package.size();
    const size_t breakAt = req.has_param("break_at") ? std::stoul(req.get_param_value("break_at")) : size + 1;
    const size_t chunkSize = req.has_param("chunk") ? std::max<size_t>(1, std::stoul(req.get_param_value("chunk"))) : 256;
    const bool holdEnd = req.has_param("hold_end");
    auto sent = m_heldSent;
    auto send = [this, package, size, breakAt, holdEnd, delayMs, chunkSize, sent](size_t offset, httplib::DataSink &sink) {
        if (offset >= breakAt)
            return false;
        if (offset >= size) {
            sink.done();
            return true;
        }
        const size_t chunk = std::min(chunkSize, std::min(size, breakAt) - offset);
        const bool held = holdEnd && offset + chunk == size;
        if (held)
            holdAnswer(kHeldDownloadBoundMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        const bool written = sink.write(package.data() + offset, chunk);
        // Counted as sent, as a held API answer is, once the held chunk is written.
        if (held && written)
            ++*sent;
        return written;
    };
    if (req.has_param("chunked")) {
        res.set_chunked_content_provider("application/vnd.debian.binary-package",
                                         [send](size_t offset, httplib::DataSink &sink) { return send(offset, sink); });
        return;
    }
    res.set_content_provider(size, "application/vnd.debian.binary-package",
                             [send](size_t offset, size_t, httplib::DataSink &sink) { return send(offset, sink); });
}

void StandinServer::handleApi(const httplib::Request &req, httplib::Response &res)
{
    const std::optional<StandinProtocol::PlainPath> plain = StandinProtocol::decryptPath(QString::fromStdString(req.path));
    if (!plain) {
        res.status = 404;
        res.set_content("unknown path", "text/plain");
        return;
    }
    StandinState::Request request;
    request.method = QString::fromStdString(req.method);
    request.path = plain->path;
    QString authorization = header(req, "Authorization");
    if (authorization.startsWith(QLatin1String("Bearer ")))
        request.token = authorization.mid(7);
    for (const char *name : {"un_timestamp", "un_nonce", "sign_data", "channel_id", "app_version", "app_name", "app_type",
                             "language", "api_version", "file_secret"})
        request.headers.insert(QString::fromLatin1(name), header(req, name));

    if (isUploadPath(plain->path)) {
        handleUpload(request, req, res);
        return;
    }
    const std::optional<Fault> fault = takeFault(plain->path);
    if (applyTransportFault(fault, res))
        return;
    std::map<std::string, std::string> fields;
    if (req.method == "POST")
        fields = StandinProtocol::fieldsFromJson(QByteArray::fromStdString(req.body));
    else
        for (const auto &param : req.params)
            fields[param.first] = param.second;
    const std::optional<StandinProtocol::Envelope> envelope = StandinProtocol::openEnvelope(fields);
    if (!envelope) {
        sendSealed(fault, QJsonObject{{QStringLiteral("success"), false}, {QStringLiteral("error_code"), 400},
                                      {QStringLiteral("message"), QStringLiteral("bad envelope")}}, res, Seal::ApiKey);
        return;
    }
    const bool signedHeaders = request.headers.value(QStringLiteral("sign_data")) == QString::fromStdString(fields["sign_data"]);
    if (!envelope->signatureValid || !signedHeaders) {
        sendSealed(fault, QJsonObject{{QStringLiteral("success"), false}, {QStringLiteral("error_code"), 401},
                                      {QStringLiteral("message"), QStringLiteral("bad signature")}}, res, Seal::ApiKey);
        return;
    }
    request.params = envelope->params;
    // Made now, from the state as the request finds it, even when it is held.
    const QJsonObject reply = m_state->handle(request);
    const Seal seal = envelope->encryptResponse ? Seal::ApiKey : Seal::None;
    if (!fault || fault->kind != QLatin1String("hold")) {
        sendSealed(fault, reply, res, seal);
        return;
    }
    holdAnswer(fault->delayMs);
    // Counted as sent only once written whole: the client can then read it.
    auto sent = m_heldSent;
    sendSealed(fault, reply, res, seal, [sent] { ++*sent; });
}

void StandinServer::holdAnswer(int boundMs)
{
    std::unique_lock lock(m_holdMutex);
    ++m_heldAnswers;
    const quint64 releases = m_releases;
    m_holdReleased.wait_for(lock, std::chrono::milliseconds(boundMs), [&] { return m_releases != releases; });
}

void StandinServer::releaseHeld()
{
    {
        std::lock_guard lock(m_holdMutex);
        ++m_releases;
    }
    m_holdReleased.notify_all();
}

void StandinServer::handlePlain(const httplib::Request &req, httplib::Response &res)
{
    StandinState::Request request;
    request.method = QString::fromStdString(req.method);
    request.path = QString::fromStdString(req.path).mid(int(std::strlen("/__plain")));
    for (const auto &param : req.params)
        request.params.insert(QString::fromStdString(param.first), QString::fromStdString(param.second));
    sendJson(res, m_state->handle(request));
}

void StandinServer::handleUpload(const StandinState::Request &request, const httplib::Request &req, httplib::Response &res)
{
    const std::optional<Fault> fault = takeFault(request.path);
    if (applyTransportFault(fault, res))
        return;
    QList<StandinState::FilePart> parts;
    for (const auto &[name, file] : req.files)
        parts << StandinState::FilePart{QString::fromStdString(file.name), QString::fromStdString(file.filename),
                                        QString::fromStdString(file.content_type), QByteArray::fromStdString(file.content)};
    const bool create = request.path.endsWith(QLatin1String("create_feedbacks"));
    sendSealed(fault, create ? m_state->createFeedback(request, parts) : m_state->resendFeedback(request, parts), res, Seal::UploadKey);
}

void StandinServer::sendSealed(const std::optional<Fault> &fault, QJsonObject reply, httplib::Response &res, Seal seal,
                               const std::function<void()> &sent)
{
    const QString kind = fault ? fault->kind : QString();
    if (kind == QLatin1String("fail"))
        reply = QJsonObject{{QStringLiteral("success"), false}, {QStringLiteral("error_code"), 400},
                            {QStringLiteral("message"), QStringLiteral("操作失败")}};
    else if (kind == QLatin1String("hostile_message"))
        // A refusal whose message is markup that loads a file without end, with control
        // characters and an emoji: clients show it as text.
        reply = QJsonObject{{QStringLiteral("success"), false}, {QStringLiteral("error_code"), 400},
                            {QStringLiteral("message"), QStringLiteral("<img src=\"/dev/zero\"><b>错误</b>\x07\x1b 😀")}};
    else if (kind == QLatin1String("refuse_silent"))
        reply = QJsonObject{{QStringLiteral("success"), false}, {QStringLiteral("error_code"), 400}};
    else if (kind == QLatin1String("no_data"))
        reply = QJsonObject{{QStringLiteral("success"), true}, {QStringLiteral("error_code"), 0}};
    else if (kind == QLatin1String("no_success"))
        reply = QJsonObject{{QStringLiteral("error_code"), 0}, {QStringLiteral("data"), reply.value(QStringLiteral("data"))}};
    else if (kind == QLatin1String("error101"))
        reply = QJsonObject{{QStringLiteral("success"), false}, {QStringLiteral("error_code"), 101},
                            {QStringLiteral("message"), QStringLiteral("账号异常")}};
    else if (kind == QLatin1String("C238"))
        reply = QJsonObject{{QStringLiteral("success"), false}, {QStringLiteral("error_code"), 238},
                            {QStringLiteral("code"), QStringLiteral("C238")}, {QStringLiteral("message"), QStringLiteral("设备数已达上限")}};
    else if (kind == QLatin1String("C5000"))
        reply = QJsonObject{{QStringLiteral("success"), false}, {QStringLiteral("error_code"), 5000},
                            {QStringLiteral("code"), QStringLiteral("C5000")}, {QStringLiteral("message"), QStringLiteral("会员已过期")}};
    if (kind != QLatin1String("no_etag"))
        res.set_header("Etag", (kind == QLatin1String("wrong_etag") ? QStringLiteral("not-the-service") : StandinProtocol::expectedEtag()).toStdString());
    if (kind == QLatin1String("bad_body")) {
        res.set_content("this is not ciphertext", "text/plain");
        return;
    }
    if (seal == Seal::None) {
        sendUncompressed(res, QJsonDocument(reply).toJson(QJsonDocument::Compact).toStdString(), "application/json", sent);
        return;
    }
    const QByteArray body = seal == Seal::UploadKey ? StandinProtocol::sealUploadReply(reply) : StandinProtocol::sealReply(reply);
    sendUncompressed(res, body.toStdString(), "text/plain", sent);
}
