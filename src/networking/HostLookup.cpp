#include "networking/HostLookup.h"

#include <QMutex>
#include <QMutexLocker>
#include <QSocketNotifier>
#include <QTimer>

#include <ares.h>

#include <algorithm>
#include <mutex>

#include <sys/socket.h>

#include "common/ThreadHandOff.h"

struct HostLookup::Request
{
    HostLookup *owner;
    Completion completion;
};

namespace {

QMutex s_serversMutex;
QString s_servers; // for tests: the servers to ask instead of the system's

QString testServers()
{
    QMutexLocker lock(&s_serversMutex);
    return s_servers;
}

// c-ares wants its library set up once per process, before any channel, and not concurrently.
int setUpLibrary()
{
    static std::once_flag once;
    static int status = ARES_SUCCESS;
    std::call_once(once, [] { status = ares_library_init(ARES_LIB_INIT_ALL); });
    return status;
}

QString describe(int status)
{
    return QString::fromUtf8(ares_strerror(status));
}

// How long a lookup against a test's own servers waits for its answer, asking once: far past any
// test's bound, so that a resolver which never answers keeps the lookup under way for the whole
// test, whatever c-ares's own give-up (75 s in 1.18, about 14 s from 1.20).
constexpr int kTestServersWaitMs = 10 * 60 * 1000;

} // namespace

HostLookup::HostLookup(QObject *parent)
    : QObject(parent)
    , m_timeout(new QTimer(this))
{
    m_timeout->setSingleShot(true);
    connect(m_timeout, &QTimer::timeout, this, [this] { process(ARES_SOCKET_BAD, ARES_SOCKET_BAD); });
}

HostLookup::~HostLookup()
{
    m_ending = true;
    closeChannel();
}

void HostLookup::openChannel()
{
    m_setupError.clear();
    int status = setUpLibrary();
    if (status != ARES_SUCCESS) {
        m_setupError = describe(status);
        return;
    }
    const QString servers = testServers();
    status = initChannel(!servers.isEmpty());
    if (status != ARES_SUCCESS) {
        m_channel = nullptr;
        m_setupError = describe(status);
        return;
    }
    if (servers.isEmpty())
        return;
    status = ares_set_servers_ports_csv(m_channel, servers.toUtf8().constData());
    if (status != ARES_SUCCESS)
        m_setupError = describe(status);
}

int HostLookup::initChannel(bool forTestServers)
{
    ares_options options{};
    options.sock_state_cb = &HostLookup::socketStateChanged;
    options.sock_state_cb_data = this;
    int optionMask = ARES_OPT_SOCK_STATE_CB;
    if (forTestServers) {
        options.timeout = kTestServersWaitMs;
        options.tries = 1;
        optionMask |= ARES_OPT_TIMEOUTMS | ARES_OPT_TRIES;
    }
    return ares_init_options(&m_channel, &options, optionMask);
}

void HostLookup::closeChannel()
{
    // Answers every lookup under way with "destruction" (dropped in answered() while ending) and
    // closes the sockets, telling socketStateChanged() so first.
    if (m_channel)
        ares_destroy(m_channel);
    m_channel = nullptr;
}

void HostLookup::setServersForTesting(const QString &servers)
{
    QMutexLocker lock(&s_serversMutex);
    s_servers = servers;
}

void HostLookup::lookup(const QString &host, Completion completion)
{
    QHostAddress literal;
    const bool isLiteral = literal.setAddress(host);
    // c-ares reads the resolver configuration once per channel: a channel opened afresh whenever
    // none is in use follows the system's changes (another network, another resolver). An
    // address needs no channel, so it does not pay for reading that configuration.
    if (!isLiteral && m_pending == 0) {
        closeChannel();
        openChannel();
    }
    ++m_pending;
    auto *request = new Request{this, std::move(completion)};
    if (isLiteral) {
        finish(request, {literal}, {});
        return;
    }
    if (!m_channel || !m_setupError.isEmpty()) {
        finish(request, {}, QStringLiteral("no resolver: %1").arg(m_setupError));
        return;
    }
    ares_addrinfo_hints hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    // May answer at once (the hosts file); finish() queues the completion either way.
    ares_getaddrinfo(m_channel, host.toUtf8().constData(), nullptr, &hints, &HostLookup::answered, request);
    scheduleTimeout();
}

void HostLookup::answered(void *data, int status, int /*timeouts*/, ares_addrinfo *result)
{
    auto *request = static_cast<Request *>(data);
    HostLookup *self = request->owner;
    QList<QHostAddress> addresses;
    for (const ares_addrinfo_node *node = result ? result->nodes : nullptr; node; node = node->ai_next) {
        if (!node->ai_addr)
            continue;
        const QHostAddress address(node->ai_addr);
        if (!addresses.contains(address))
            addresses << address;
    }
    if (result)
        ares_freeaddrinfo(result);
    if (self->m_ending) {
        delete request;
        return;
    }
    const QString error = !addresses.isEmpty() ? QString()
        : status == ARES_SUCCESS ? QStringLiteral("no address") : describe(status);
    self->finish(request, addresses, error);
}

void HostLookup::finish(Request *request, const QList<QHostAddress> &addresses, const QString &error)
{
    --m_pending;
    Completion completion = std::move(request->completion);
    delete request;
    // Never from inside lookup() or c-ares: always later, and not at all once this object went.
    ThreadHandOff::post(this, [completion = std::move(completion), addresses, error] {
        if (completion)
            completion(addresses, error);
    });
}

void HostLookup::socketStateChanged(void *data, int socket, int readable, int writable)
{
    static_cast<HostLookup *>(data)->watch(socket, readable != 0, writable != 0);
}

void HostLookup::watch(int socket, bool readable, bool writable)
{
    Watch &entry = m_watches[socket];
    const auto update = [this, socket](QSocketNotifier *&notifier, QSocketNotifier::Type type, bool wanted) {
        if (wanted && !notifier) {
            notifier = new QSocketNotifier(socket, type, this);
            const bool reading = type == QSocketNotifier::Read;
            connect(notifier, &QSocketNotifier::activated, this, [this, socket, reading] {
                process(reading ? socket : ARES_SOCKET_BAD, reading ? ARES_SOCKET_BAD : socket);
            });
        }
        if (notifier)
            notifier->setEnabled(wanted);
    };
    update(entry.read, QSocketNotifier::Read, readable);
    update(entry.write, QSocketNotifier::Write, writable);
    if (readable || writable)
        return;
    // c-ares closes the socket next: the notifiers go now, the one that may be signalling later.
    for (QSocketNotifier *notifier : {entry.read, entry.write}) {
        if (notifier)
            notifier->deleteLater();
    }
    m_watches.remove(socket);
}

void HostLookup::process(int readSocket, int writeSocket)
{
    if (!m_channel)
        return;
    ares_process_fd(m_channel, readSocket, writeSocket);
    scheduleTimeout();
}

void HostLookup::scheduleTimeout()
{
    if (!m_channel)
        return;
    timeval next{};
    if (!ares_timeout(m_channel, nullptr, &next)) {
        m_timeout->stop();
        return;
    }
    const qint64 ms = qint64(next.tv_sec) * 1000 + next.tv_usec / 1000;
    m_timeout->start(int(std::clamp<qint64>(ms + 1, 0, 60 * 1000)));
}
