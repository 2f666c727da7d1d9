#include "support/ProcScan.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace ProcScan {

std::string read(pid_t pid, const char *name)
{
    std::string text;
    const int fd = ::open(("/proc/" + std::to_string(pid) + '/' + name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return text;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR))
        text.append(buffer, got > 0 ? size_t(got) : 0);
    ::close(fd);
    return text;
}

std::string link(pid_t pid, const char *name)
{
    char target[4096];
    const ssize_t size = ::readlink(("/proc/" + std::to_string(pid) + '/' + name).c_str(), target, sizeof target);
    return std::string(target, size > 0 ? size_t(size) : 0);
}

namespace {

// The entries of a folder that are numbers: processes in /proc, threads in a task folder.
std::vector<pid_t> numberedEntries(const std::string &folder)
{
    std::vector<pid_t> found;
    DIR *list = ::opendir(folder.c_str());
    if (!list)
        return found;
    while (const dirent *entry = ::readdir(list)) {
        char *end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid > 0 && *end == '\0')
            found.push_back(pid_t(pid));
    }
    ::closedir(list);
    return found;
}

} // namespace

std::vector<pid_t> processes()
{
    return numberedEntries("/proc");
}

// "pid (comm) state ppid pgrp session tty tpgid flags ... starttime ...", where comm may hold
// spaces and parentheses: the fields are counted after its last ')'.
bool statOf(pid_t pid, Stat *into)
{
    const std::string line = read(pid, "stat");
    const size_t close = line.rfind(')');
    const char *fields = " %c %d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d %*d %*d %*d %llu";
    return close != std::string::npos
           && std::sscanf(line.c_str() + close + 1, fields, &into->state, &into->parent, &into->start) == 3;
}

char state(pid_t pid)
{
    Stat stat;
    return pid > 0 && statOf(pid, &stat) ? stat.state : '?';
}

bool alive(pid_t pid)
{
    const char now = state(pid);
    return now != '?' && now != 'Z' && now != 'X';
}

std::vector<pid_t> children(pid_t pid)
{
    std::vector<pid_t> found;
    for (const pid_t thread : numberedEntries("/proc/" + std::to_string(pid) + "/task")) {
        const std::string list = read(pid, ("task/" + std::to_string(thread) + "/children").c_str());
        for (const char *at = list.c_str(); *at != '\0';) {
            char *end = nullptr;
            const long child = std::strtol(at, &end, 10);
            if (end == at)
                break;
            found.push_back(pid_t(child));
            at = end;
        }
    }
    return found;
}

std::vector<std::string> arguments(pid_t pid)
{
    std::vector<std::string> found;
    const std::string all = read(pid, "cmdline");
    for (size_t at = 0; at < all.size();) {
        const size_t end = all.find('\0', at);
        found.push_back(all.substr(at, end - at));
        at = end == std::string::npos ? all.size() : end + 1;
    }
    return found;
}

std::string command(pid_t pid)
{
    std::string text = read(pid, "cmdline");
    std::replace(text.begin(), text.end(), '\0', ' ');
    return text.substr(0, text.find_last_not_of(' ') + 1);
}

bool runs(pid_t pid, const std::string &wanted)
{
    const std::string text = command(pid);
    return text == wanted || text.ends_with('/' + wanted);
}

std::vector<std::pair<int, std::string>> descriptors(pid_t pid)
{
    std::vector<std::pair<int, std::string>> held;
    const std::string folder = "/proc/" + std::to_string(pid) + "/fd/";
    DIR *list = ::opendir(folder.c_str());
    if (!list)
        return held;
    while (const dirent *entry = ::readdir(list)) {
        char *end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0')
            continue;
        held.emplace_back(int(fd), link(pid, ("fd/" + std::string(entry->d_name)).c_str()));
    }
    ::closedir(list);
    std::sort(held.begin(), held.end());
    return held;
}

bool startedWithin(pid_t pid, const std::vector<std::string> &assignments)
{
    const std::string environment = '\0' + read(pid, "environ");
    for (const std::string &assignment : assignments) {
        for (const char after : {'\0', '/'}) {
            if (environment.find('\0' + assignment + after) != std::string::npos)
                return true;
        }
    }
    return false;
}

unsigned long long statusMask(const std::string &status, const char *name)
{
    const std::string lines = '\n' + status;
    const size_t at = lines.find('\n' + std::string(name) + ':');
    if (at == std::string::npos)
        return ~0ull;
    return std::strtoull(lines.c_str() + at + std::strlen(name) + 2, nullptr, 16);
}

pid_t displayServer(const std::string &display, const std::string &authority)
{
    // xvfb-run starts it as "Xvfb :<n> <its arguments> -auth <file>".
    const std::string named = std::string("Xvfb") + '\0' + display + '\0';
    const std::string auth = std::string(1, '\0') + "-auth" + '\0' + authority + '\0';
    for (const pid_t pid : processes()) {
        const std::string line = read(pid, "cmdline");
        if (line.rfind(named, 0) == 0 && line.find(auth) != std::string::npos)
            return pid;
    }
    return 0;
}

} // namespace ProcScan
