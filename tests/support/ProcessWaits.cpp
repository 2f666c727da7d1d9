#include "support/ProcessWaits.h"

#include "support/ProcScan.h"

#include <QTest>

#include <csignal>

namespace ProcessWaits {

namespace {

constexpr int kBoundMs = 60000;

} // namespace

bool gone(pid_t pid)
{
    return QTest::qWaitFor([pid] { return !ProcScan::alive(pid); }, kBoundMs);
}

bool end(pid_t pid)
{
    ::kill(pid, SIGKILL);
    return gone(pid);
}

bool stop(pid_t pid)
{
    ::kill(pid, SIGSTOP);
    return QTest::qWaitFor([pid] { return ProcScan::state(pid) == 'T'; }, kBoundMs);
}

std::vector<int> settledDescriptors(pid_t pid)
{
    std::vector<int> held;
    // What it holds after the bound tells the caller that it never settled.
    (void)QTest::qWaitFor([&] {
        held.clear();
        for (const auto &[fd, target] : ProcScan::descriptors(pid))
            held.push_back(fd);
        return held == std::vector<int>{0, 1, 2};
    }, 10000);
    return held;
}

} // namespace ProcessWaits
