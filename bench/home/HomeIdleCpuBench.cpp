// The idle client's cost of the connect animation: CPU seconds per wall second of a window
// showing the home screen in its running look, then the same window minimised (where the
// animation must stop). Run under a real X server (xvfb-run) for a real backing store.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>

#include "common/ProcessTeardown.h"
#include "home/NBHomeViewController.h"

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double measure(int seconds)
{
    QEventLoop loop;
    const double before = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    return (cpuSeconds() - before) / (wall.nsecsElapsed() / 1e9);
}

} // namespace

int main(int argc, char **argv)
{
    ProcessTeardown::keepOpenSslToTheEnd();
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    NBHomeViewController home;
    home.ensureLoaded();
    home.resize(728, 500);
    home.show();
    home.showRunning();
    measure(1);   // first frames, fonts, caches
    const double shown = measure(seconds);
    home.showMinimized();
    measure(1);
    const double minimised = measure(seconds);
    std::printf("platform %s, %d s each\n", qPrintable(QGuiApplication::platformName()), seconds);
    std::printf("running animation shown: %.1f%% of one core\n", shown * 100);
    std::printf("window minimised:        %.1f%% of one core\n", minimised * 100);
    // The home screen tracks analytics: their thread ends while the application is still whole.
    ProcessTeardown::run();
    return 0;
}
