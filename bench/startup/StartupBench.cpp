// Launches the client and a baseline program in turn on the X display in $DISPLAY (an Xvfb) and
// measures, per run: launch to the window being mapped, launch to its first painted pixels, and
// resident and anonymous memory 2 s after that. Prints the medians and client/baseline ratios.
//
//   bench_startup --runs N --client PATH [--label NAME] [--client-arg ARG]... [--client ...]
//                 --baseline PATH [--before-each COMMAND]
//
// Several clients (two builds, say) are measured in turn against one baseline, each labelled.
// --before-each runs a shell command before every launch of a client (to give each start a fresh
// profile); its time is not counted.
//
// The window is found by its _NET_WM_PID; "painted" is the first moment the window holds a pixel
// that is not black (Xvfb started with -br, so an unpainted window shows the black root).
// BENCH_STARTUP_TRACE=1 also prints when the window's pixels change after that.
#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct Sample
{
    double mappedMs = 0;
    double paintedMs = 0;
    double rssMiB = 0;
    double anonMiB = 0;
};

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

void sleepMs(double ms)
{
    timespec ts{};
    ts.tv_sec = time_t(ms / 1000);
    ts.tv_nsec = long((ms - double(ts.tv_sec) * 1000) * 1e6);
    nanosleep(&ts, nullptr);
}

class Display
{
public:
    bool open()
    {
        m_connection = xcb_connect(nullptr, nullptr);
        if (!m_connection || xcb_connection_has_error(m_connection))
            return false;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        const char name[] = "_NET_WM_PID";
        xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, sizeof name - 1, name), nullptr);
        if (!atom)
            return false;
        m_pidAtom = atom->atom;
        free(atom);
        xcb_flush(m_connection);
        return true;
    }

    void drain()
    {
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection))
            free(event);
    }

    // The next mapped top-level window of the process, or nothing before the deadline.
    std::optional<xcb_window_t> waitForMappedWindow(pid_t pid, double deadline)
    {
        pollfd fd{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        while (nowMs() < deadline) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
                const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
                const xcb_window_t window = mapped ? reinterpret_cast<xcb_map_notify_event_t *>(event)->window : 0;
                free(event);
                if (mapped && windowPid(window) == pid && largeEnough(window))
                    return window;
            }
            poll(&fd, 1, 5);
        }
        return std::nullopt;
    }

    // A checksum of the window's pixels and whether any is not black.
    std::pair<uint64_t, bool> snapshot(xcb_window_t window)
    {
        xcb_get_geometry_reply_t *geometry = xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr);
        if (!geometry)
            return {0, false};
        const uint16_t width = geometry->width;
        const uint16_t height = geometry->height;
        free(geometry);
        xcb_get_image_reply_t *image = xcb_get_image_reply(
            m_connection, xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, width, height, ~0u), nullptr);
        if (!image)
            return {0, false};
        const uint8_t *data = xcb_get_image_data(image);
        const int length = xcb_get_image_data_length(image);
        uint64_t sum = 1469598103934665603ULL;
        bool painted = false;
        for (int i = 0; i + 3 < length; i += 4) {
            const uint32_t pixel = uint32_t(data[i]) | uint32_t(data[i + 1]) << 8 | uint32_t(data[i + 2]) << 16;
            painted = painted || pixel != 0;
            sum = (sum ^ pixel) * 1099511628211ULL;
        }
        free(image);
        return {sum, painted};
    }

    bool hasPaintedPixel(xcb_window_t window)
    {
        xcb_get_geometry_reply_t *geometry = xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr);
        if (!geometry)
            return false;
        const uint16_t width = geometry->width;
        const uint16_t height = geometry->height;
        free(geometry);
        xcb_get_image_reply_t *image = xcb_get_image_reply(
            m_connection, xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, width, height, ~0u), nullptr);
        if (!image)
            return false;
        const uint8_t *data = xcb_get_image_data(image);
        const int length = xcb_get_image_data_length(image);
        bool painted = false;
        for (int i = 0; i + 3 < length && !painted; i += 4)
            painted = (data[i] | data[i + 1] | data[i + 2]) != 0;
        free(image);
        return painted;
    }

private:
    pid_t windowPid(xcb_window_t window)
    {
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        pid_t pid = -1;
        if (reply && xcb_get_property_value_length(reply) == 4)
            pid = pid_t(*static_cast<uint32_t *>(xcb_get_property_value(reply)));
        free(reply);
        return pid;
    }

    bool largeEnough(xcb_window_t window)
    {
        xcb_get_geometry_reply_t *geometry = xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr);
        const bool large = geometry && geometry->width >= 300 && geometry->height >= 200;
        free(geometry);
        return large;
    }

    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = 0;
    xcb_atom_t m_pidAtom = 0;
};

// Resident and anonymous memory of the process, in MiB.
std::pair<double, double> memoryOf(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::string line;
    double rss = 0;
    double anon = 0;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        std::string key;
        double kb = 0;
        fields >> key >> kb;
        if (key == "Rss:")
            rss = kb / 1024;
        else if (key == "Anonymous:")
            anon = kb / 1024;
    }
    return {rss, anon};
}

void stop(pid_t pid)
{
    kill(pid, SIGTERM);
    const double deadline = nowMs() + 5000;
    while (nowMs() < deadline) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        sleepMs(10);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

std::optional<Sample> runOnce(Display &display, const std::vector<std::string> &command)
{
    display.drain();
    const double start = nowMs();
    const pid_t pid = fork();
    if (pid < 0)
        return std::nullopt;
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        std::vector<char *> argv;
        for (const std::string &part : command)
            argv.push_back(const_cast<char *>(part.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }

    Sample sample;
    const std::optional<xcb_window_t> window = display.waitForMappedWindow(pid, start + 30000);
    if (!window) {
        std::fprintf(stderr, "bench_startup: %s showed no window\n", command[0].c_str());
        stop(pid);
        return std::nullopt;
    }
    sample.mappedMs = nowMs() - start;
    while (!display.hasPaintedPixel(*window) && nowMs() < start + 30000)
        sleepMs(1);
    sample.paintedMs = nowMs() - start;
    // With BENCH_STARTUP_TRACE set: every change of the window's pixels in the next 400 ms, to
    // see whether the first frame is the finished one.
    if (std::getenv("BENCH_STARTUP_TRACE")) {
        std::fprintf(stderr, "%s: mapped %.1f ms, first non-black %.1f ms\n", command[0].c_str(), sample.mappedMs, sample.paintedMs);
        uint64_t last = 0;
        while (nowMs() < start + sample.paintedMs + 400) {
            const auto [sum, painted] = display.snapshot(*window);
            if (sum != last)
                std::fprintf(stderr, "  %.1f ms: pixels changed\n", nowMs() - start);
            last = sum;
            sleepMs(1);
        }
    }
    sleepMs(2000);
    std::tie(sample.rssMiB, sample.anonMiB) = memoryOf(pid);
    stop(pid);
    return sample;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

struct Client
{
    std::string label;
    std::vector<std::string> command;
    std::vector<Sample> samples;
};

int main(int argc, char **argv)
{
    int runs = 7;
    std::vector<Client> clients;
    std::vector<std::string> baseline;
    std::string beforeEach;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--runs" && hasValue)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--client" && hasValue)
            clients.push_back({"client", {argv[++i]}, {}});
        else if (arg == "--label" && hasValue && !clients.empty())
            clients.back().label = argv[++i];
        else if (arg == "--client-arg" && hasValue && !clients.empty())
            clients.back().command.push_back(argv[++i]);
        else if (arg == "--baseline" && hasValue)
            baseline = {argv[++i]};
        else if (arg == "--before-each" && hasValue)
            beforeEach = argv[++i];
        else {
            std::fprintf(stderr, "usage: bench_startup --runs N --client PATH [--label NAME] [--client-arg ARG]... "
                                 "--baseline PATH [--before-each COMMAND]\n");
            return 2;
        }
    }
    if (clients.empty() || baseline.empty()) {
        std::fprintf(stderr, "bench_startup: --client and --baseline are needed\n");
        return 2;
    }
    Display display;
    if (!display.open()) {
        std::fprintf(stderr, "bench_startup: no X display (run it under xvfb-run)\n");
        return 2;
    }
    const auto prepare = [&beforeEach] {
        if (!beforeEach.empty() && std::system(beforeEach.c_str()) != 0)
            std::fprintf(stderr, "bench_startup: the command before the start failed\n");
    };

    // One unmeasured round each: the first start writes the font cache and the files of a
    // returning user's profile, which a returning user does not pay.
    for (Client &client : clients) {
        prepare();
        runOnce(display, client.command);
    }
    runOnce(display, baseline);

    std::vector<Sample> baselineSamples;
    for (int i = 0; i < runs; ++i) {
        for (Client &client : clients) {
            prepare();
            if (const auto sample = runOnce(display, client.command))
                client.samples.push_back(*sample);
        }
        if (const auto sample = runOnce(display, baseline))
            baselineSamples.push_back(*sample);
        std::fprintf(stderr, "run %d/%d done\n", i + 1, runs);
    }
    if (baselineSamples.empty())
        return 1;

    const auto column = [](const std::vector<Sample> &samples, double Sample::*field) {
        std::vector<double> values;
        for (const Sample &sample : samples)
            values.push_back(sample.*field);
        return median(values);
    };
    std::printf("medians of %d runs (baseline: %zu)\n", runs, baselineSamples.size());
    std::printf("%-30s", "");
    for (const Client &client : clients)
        std::printf(" %12s %7s", client.label.c_str(), "ratio");
    std::printf(" %10s\n", "baseline");
    const std::pair<const char *, double Sample::*> rows[] = {
        {"launch to mapped window, ms", &Sample::mappedMs},
        {"launch to painted window, ms", &Sample::paintedMs},
        {"resident 2 s later, MiB", &Sample::rssMiB},
        {"anonymous 2 s later, MiB", &Sample::anonMiB},
    };
    for (const auto &[name, field] : rows) {
        const double b = column(baselineSamples, field);
        std::printf("%-30s", name);
        for (const Client &client : clients) {
            const double c = column(client.samples, field);
            std::printf(" %12.1f %7.2f", c, b > 0 ? c / b : 0.0);
        }
        std::printf(" %10.1f\n", b);
    }
    for (const Client &client : clients) {
        if (client.samples.size() != size_t(runs))
            std::printf("%s: %zu of %d starts showed a window\n", client.label.c_str(), client.samples.size(), runs);
    }
    return 0;
}
