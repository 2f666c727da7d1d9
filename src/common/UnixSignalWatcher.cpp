#include "common/UnixSignalWatcher.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int s_pipe[2] = {-1, -1};

} // namespace

UnixSignalWatcher::UnixSignalWatcher(const QList<int> &signalNumbers, QObject *parent)
    : QObject(parent)
    , m_signals(signalNumbers)
{
    if (s_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, s_pipe) != 0)
        return;
    ::fcntl(s_pipe[1], F_SETFL, O_NONBLOCK);
    m_notifier = std::make_unique<QSocketNotifier>(s_pipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &UnixSignalWatcher::readPipe);
    for (const int number : signalNumbers) {
        struct sigaction action = {};
        action.sa_handler = &UnixSignalWatcher::handler;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(number, &action, nullptr);
    }
}

UnixSignalWatcher::~UnixSignalWatcher()
{
    for (const int number : std::as_const(m_signals))
        std::signal(number, SIG_DFL);
}

void UnixSignalWatcher::handler(int signalNumber)
{
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(s_pipe[1], &byte, 1);
}

void UnixSignalWatcher::readPipe()
{
    unsigned char byte = 0;
    if (::read(s_pipe[0], &byte, 1) == 1)
        Q_EMIT unixSignal(byte);
}
