// The upgrade dialog downloading a large installer from the loopback stand-in service, the way
// a user starts it ("立即更新" of a state-1 offer), while a 10 ms timer measures how long the
// event loop ever goes without turning: the window must answer within 100 ms throughout.
// Everything lands in a temporary profile that is removed afterwards.
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "common/AppPaths.h"
#include "common/ProcessTeardown.h"
#include "uikit/WindowInUse.h"
#include "upgrade/MupleUpgradeManager.h"
#include "upgrade/NBMutipUpgradeModel.h"
#include "upgrade/NBMutipUpgradeView.h"
#include "upgrade/UpgradeState.h"

namespace {

long peakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

int startStandin(QProcess &standin)
{
#ifdef OSTREL_STANDIN
    standin.start(QStringLiteral(OSTREL_STANDIN), {QStringLiteral("--port"), QStringLiteral("0")});
#endif
    if (!standin.waitForStarted(5000))
        return -1;
    QByteArray output;
    while (!output.contains('\n') && standin.waitForReadyRead(10000))
        output += standin.readAllStandardOutput();
    const QByteArray line = output.left(output.indexOf('\n')).trimmed();
    return line.startsWith("listening ") ? line.mid(10).toInt() : -1;
}

// 0 when the download completed and the window always answered in time.
int downloadInstaller(QApplication &app, qint64 megabytes)
{
    QProcess standin;
    const int port = startStandin(standin);
    if (port <= 0) {
        std::fprintf(stderr, "the stand-in service did not start\n");
        return 1;
    }

    QWidget window;
    window.resize(800, 500);
    window.show();
    WindowInUse::setContentWidget(&window);

    MupleUpgradeManager manager;
    upgradeSetting offer;
    offer.update_state = 1;
    offer.is_update = 1;
    offer.version = QStringLiteral("9.9.9");
    offer.update_content = QStringLiteral("Improvements and fixes.");
    offer.update_url = QStringLiteral("http://127.0.0.1:%1/static/installer.dmg?size=%2&chunk_delay_ms=0")
                           .arg(port).arg(megabytes * 1024 * 1024);
    manager.settings = offer;
    NBMutipUpgradeModel *dialog = nullptr;
    manager.setPresenter([&](std::unique_ptr<NBMutipUpgradeModel> made) {
        dialog = made.get();
        return NBMutipUpgradeView::present(std::move(made)) != nullptr;
    });
    manager.showUpgrade();
    if (!dialog) {
        std::fprintf(stderr, "no dialog\n");
        return 1;
    }

    std::vector<qint64> gaps;
    QElapsedTimer sinceTick;
    sinceTick.start();
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] { gaps.push_back(sinceTick.restart()); });
    int reports = 0;
    QObject::connect(&manager.state(), &UpgradeState::changed, [&] {
        if (manager.state().phase() == UpgradeState::Phase::Downloading)
            ++reports;
        if (manager.state().phase() == UpgradeState::Phase::Ready || manager.state().phase() == UpgradeState::Phase::Failed)
            app.quit();
    });

    QElapsedTimer clock;
    clock.start();
    ticker.start(10);
    sinceTick.restart();
    dialog->confirmPressed();
    app.exec();
    ticker.stop();
    const double seconds = clock.nsecsElapsed() / 1e9;

    std::sort(gaps.begin(), gaps.end());
    const qint64 worst = gaps.empty() ? 0 : gaps.back();
    const qint64 p99 = gaps.empty() ? 0 : gaps[gaps.size() * 99 / 100];
    const bool ok = manager.state().phase() == UpgradeState::Phase::Ready;
    std::printf("platform %s, %lld MB installer from loopback: %s in %.1f s (%.0f MB/s)\n",
                qPrintable(QGuiApplication::platformName()), static_cast<long long>(megabytes), ok ? "complete" : "FAILED",
                seconds, megabytes / seconds);
    std::printf("event loop, 10 ms timer: longest gap %lld ms, 99th percentile %lld ms (goal: under 100 ms)\n",
                static_cast<long long>(worst), static_cast<long long>(p99));
    std::printf("progress reports: %d (%.1f a second)\n", reports, reports / seconds);
    std::printf("peak resident memory: %ld MB\n", peakResidentMegabytes());
    WindowInUse::setContentWidget(nullptr);
    standin.terminate();
    standin.waitForFinished(3000);
    return ok && worst < 100 ? 0 : 2;
}

} // namespace

int main(int argc, char **argv)
{
    ProcessTeardown::keepOpenSslToTheEnd();
    QTemporaryDir profile;
    qputenv("HOME", profile.path().toUtf8());
    qputenv("XDG_DOWNLOAD_DIR", (profile.path() + QStringLiteral("/Downloads")).toUtf8());
    qputenv("XDG_CACHE_HOME", (profile.path() + QStringLiteral("/cache")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (profile.path() + QStringLiteral("/config")).toUtf8());
    QApplication app(argc, argv);
    const int status = downloadInstaller(app, argc > 1 ? std::max(1, atoi(argv[1])) : 512);
    // The installer's writer thread ends while the application is still whole.
    ProcessTeardown::run();
    return status;
}
