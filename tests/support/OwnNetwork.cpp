#include "support/OwnNetwork.h"
#include "support/ChildTrial.h"
#include "support/LoopbackPort.h"
#include "support/TestEnvironment.h"
#include "support/WantedSkip.h"

#include <QByteArray>
#include <QThread>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using ChildTrial::errorText;
using ChildTrial::writeFile;

// Names the namespace the program made (its /proc/self/ns/net link) and the run it made it for
// (the run's marker as the program found it, empty for a program started by hand): the program
// run again under its own display (WebTestDisplay) finds both and stays, while a test program that
// a test starts has a run marker of its own (TestEnvironment::markTheRun) and moves again.
constexpr char kMarkVariable[] = "OSTREL_TEST_OWN_NETWORK";

// The lock the programs take turns at where no namespace can be had: a name in the abstract
// socket space of the network they share with every other run, whatever its user or TMPDIR.
// Bound, it is held; the kernel lets it go with the program however it ends, and it leaves no file.
constexpr char kLockName[] = "ostrel-test-listener";
constexpr auto kLockBound = std::chrono::seconds(240);

bool g_entered = false;

// Why the program could not move, when it could not. Made on first use: the move comes before
// the dynamic initialisers of this file, which would empty a plain global afterwards.
std::string &notEntered()
{
    static std::string text;
    return text;
}

std::string currentNamespace()
{
    char link[64] = {};
    const ssize_t length = ::readlink("/proc/self/ns/net", link, sizeof link - 1);
    return length > 0 ? std::string(link, size_t(length)) : std::string();
}

// The program left its network for a new one it then could not finish, though a trial of the same
// move had just worked: a lock taken there would lock nothing and every listener case would fail
// for a reason it cannot tell. It ends here, saying why.
[[noreturn]] void halfMade(const std::string &why)
{
    std::fprintf(stderr, "FAILED: the program's own network namespace is half made: %s\n", why.c_str());
    std::_Exit(1);
}

// A test's stand-in for a machine that makes the namespaces and then denies its user every right
// in them (a kernel's policy may): "map" fails the user's mapping, taking the user namespace's
// road even as root; "loopback" fails bringing the loopback up. Either fails as denied (EPERM).
constexpr char kPlantVariable[] = "OSTREL_TEST_PLANT_NAMESPACE";

enum class Plant { None, Map, Loopback };

// A value that names no step ends the program: a test that means to plant a denial must not pass
// on a move that was never denied.
Plant plant()
{
    const char *value = std::getenv(kPlantVariable);
    if (!value || !*value)
        return Plant::None;
    if (std::strcmp(value, "map") == 0)
        return Plant::Map;
    if (std::strcmp(value, "loopback") == 0)
        return Plant::Loopback;
    std::fprintf(stderr, "FAILED: %s=%s names no step of the move (map or loopback)\n", kPlantVariable, value);
    std::_Exit(1);
}

std::string deniedByPlant(const std::string &what)
{
    errno = EPERM;
    return errorText(what) + " (planted by " + kPlantVariable + ")";
}

// How a move, or a step of it, ended: why it failed, or nothing, and whether the process had
// already left the network it was in.
struct Move
{
    std::optional<std::string> failed;
    bool left = false;
};

// A user namespace in which this user stays this user (files keep their owner), holding a new
// network namespace. Only a program with a single thread may make one, as this one is before main.
Move unshareAsUser(Plant planted)
{
    const uid_t uid = ::getuid();
    const gid_t gid = ::getgid();
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0)
        return {errorText("no user and network namespace"), false};
    const std::string what = "cannot map the user into its namespace";
    if (planted == Plant::Map)
        return {deniedByPlant(what), true};
    const std::string uidMap = std::to_string(uid) + ' ' + std::to_string(uid) + " 1\n";
    const std::string gidMap = std::to_string(gid) + ' ' + std::to_string(gid) + " 1\n";
    if (!writeFile("/proc/self/setgroups", "deny") || !writeFile("/proc/self/uid_map", uidMap)
        || !writeFile("/proc/self/gid_map", gidMap))
        return {errorText(what), true};
    return {std::nullopt, true};
}

// A new namespace's loopback is down: bring it up, which gives it 127.0.0.0/8 and ::1.
std::optional<std::string> loopbackUp(Plant planted)
{
    const std::string what = "cannot bring the loopback up";
    if (planted == Plant::Loopback)
        return deniedByPlant(what);
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return errorText("no socket to bring the loopback up");
    ifreq request {};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    if (up) {
        request.ifr_flags = short(request.ifr_flags | IFF_UP | IFF_RUNNING);
        up = ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    }
    const std::optional<std::string> failed = up ? std::nullopt : std::optional(errorText(what));
    ::close(fd);
    return failed;
}

// The whole move: a network namespace, its user mapped where it is inside a user namespace, its
// loopback up.
Move move(Plant planted)
{
    // Root makes a plain one; where even root may not (a container), a user namespace may still do.
    if (::geteuid() != 0 || planted == Plant::Map || ::unshare(CLONE_NEWNET) != 0) {
        const Move user = unshareAsUser(planted);
        if (user.failed)
            return user;
    }
    return {loopbackUp(planted), true};
}

// Whether the move works here, tried in a child that ends with it: a kernel may make the
// namespaces and then deny its user every right in them (the mapping, the loopback), which the
// program can only learn by moving, and cannot undo. Why it failed, or nothing. The program has
// one thread, so the child may run anything of it.
std::optional<std::string> tryMove(Plant planted)
{
    return ChildTrial::run([planted] { return move(planted).failed; });
}

std::string markOf(const std::string &network)
{
    const char *run = std::getenv(TestEnvironment::kRunVariable);
    return network + '|' + (run ? run : "");
}

// Where the trial fails, the program stays in the network it shares, with the reason for its skip.
std::optional<std::string> enter()
{
    const char *mark = std::getenv(kMarkVariable);
    if (mark && mark == markOf(currentNamespace()))
        return std::nullopt;
    const Plant planted = plant();
    if (const std::optional<std::string> denied = tryMove(planted))
        return denied;
    const Move moved = move(planted);
    if (moved.failed && moved.left)
        halfMade(*moved.failed);
    if (moved.failed)
        return moved.failed;
    ::setenv(kMarkVariable, markOf(currentNamespace()).c_str(), 1);
    return std::nullopt;
}

// Ahead of the test entry's own start (constructor 102), while the program has one thread: every
// thread and process of the program is made in the new namespace.
__attribute__((constructor(101))) void enterOwnNetwork()
{
    const std::optional<std::string> failed = enter();
    g_entered = !failed;
    if (failed)
        notEntered() = *failed;
}

// Binds the lock's name; the socket, or -1 with errno set (EADDRINUSE: another program holds it).
int bindLock()
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    // A leading NUL names the socket in the abstract space.
    std::memcpy(address.sun_path + 1, kLockName, sizeof kLockName - 1);
    const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + sizeof kLockName - 1);
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), length) == 0)
        return fd;
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
}

// Waits, within a bound, for the lock; it is held until the program ends. Why it could not be
// had, or nothing.
std::optional<std::string> takeTurn()
{
    static std::optional<std::string> turn = []() -> std::optional<std::string> {
        const auto until = std::chrono::steady_clock::now() + kLockBound;
        while (bindLock() < 0) {
            if (errno != EADDRINUSE)
                return errorText("cannot take the listener's lock @" + std::string(kLockName));
            if (std::chrono::steady_clock::now() > until)
                return "the listener's lock @" + std::string(kLockName) + " was not had in time";
            QThread::msleep(100);
        }
        return std::nullopt; // the socket stays open: the turn lasts the program's life
    }();
    return turn;
}

} // namespace

namespace OwnNetwork {

bool entered()
{
    return g_entered;
}

std::optional<std::string> namespaceUnavailable()
{
    if (g_entered)
        return std::nullopt;
    return WantedSkip::skip(WantedSkip::Want::Namespace, "no network namespace can be had here: " + notEntered());
}

std::optional<std::string> listenerUnavailable(quint16 port)
{
    if (g_entered)
        return std::nullopt;
    std::optional<std::string> why = takeTurn();
    if (!why && !isFreeLoopbackPort(port))
        why = "127.0.0.1:" + std::to_string(port) + ", the client's fixed listener, is taken by another program";
    if (!why)
        return std::nullopt;
    return WantedSkip::skip(WantedSkip::Want::Listener, *why + " (no network of the program's own: " + notEntered() + ')');
}

} // namespace OwnNetwork
