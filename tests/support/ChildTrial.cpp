#include "support/ChildTrial.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using ChildTrial::errorText;

// Everything the child wrote, up to its end.
std::string readAll(int fd)
{
    std::string told;
    char buffer[256];
    for (;;) {
        const ssize_t length = ::read(fd, buffer, sizeof buffer);
        if (length < 0 && errno == EINTR)
            continue;
        if (length <= 0)
            return told;
        told.append(buffer, size_t(length));
    }
}

} // namespace

namespace ChildTrial {

std::string errorText(const std::string &what)
{
    const int error = errno;
    return what + ": " + std::strerror(error);
}

bool writeFile(const char *path, const std::string &text)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
    ::close(fd);
    return written;
}

std::optional<std::string> run(const std::function<std::optional<std::string>()> &trial)
{
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0)
        return errorText("no pipe to try the move in a child");
    const pid_t child = ::fork();
    if (child < 0) {
        const std::string failed = errorText("no child to try the move in");
        ::close(channel[0]);
        ::close(channel[1]);
        return failed;
    }
    if (child == 0) {
        ::close(channel[0]);
        const std::optional<std::string> failed = trial();
        if (failed && ::write(channel[1], failed->data(), failed->size()) < 0)
            ::_exit(2);
        ::_exit(failed ? 1 : 0);
    }
    ::close(channel[1]);
    const std::string told = readAll(channel[0]);
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return errorText("the child that tried the move was lost");
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return std::nullopt;
    if (told.empty())
        return "the child that tried the move ended without saying why";
    return told;
}

} // namespace ChildTrial
