// Opens the line popup with 2,000 lines (or the count given) over an 800 x 500 window and scrolls
// through the whole list, offscreen, painting every frame synchronously. Prints the time from the
// popup's creation to its first painted frame (cold, then the median of warm openings) and the
// paint time of each scroll frame (one row per frame, and one page per frame). The goal is one
// 16 ms frame for each. OSTREL_BENCH_STEPS=1 prints the steps of each opening;
// OSTREL_BENCH_COLD_ONLY=1 stops after the cold opening (for perf record).

#include <QApplication>
#include <QBuffer>
#include <QLabel>
#include <QWindow>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <sys/resource.h>

#include "uikit/ImageCache.h"
#include "uikit/NSFontHelper.h"
#include "uikit/WindowInUse.h"
#include "networking/OOHostSafeAdpter.h"
#include "home/NBHomeLineListModel.h"
#include "uikit/RoundedPanel.h"
#include "home/NBNewLineCell.h"
#include "common/DefaultsKeys.h"
#include "common/MKUserTable.h"
#include "common/UserDefaults.h"
#include "home/NBHomeLineListView.h"
#include "home/NBLineTableView.h"

namespace {

QList<OOHomeNodeModel> makeLines(int count)
{
    static const char *codes[] = {"jp", "us", "hk", "cn", "sg", "de", "kr"};
    QList<OOHomeNodeModel> lines;
    lines.reserve(count);
    for (int i = 0; i < count; ++i) {
        OOHomeNodeModel line;
        line.id = 10000 + i;
        line.name = QStringLiteral("线路 %1 区域 %2").arg(i).arg(QString::fromLatin1(codes[i % 7]).toUpper());
        line.kind = i % 3 == 0 ? 1 : 0;
        line.ping = 30 + i % 200;
        // Relative paths, made absolute by the popup against the API host.
        line.abbrUrl = QStringLiteral("/static/flags/%1.png").arg(QLatin1String(codes[i % 7]));
        if (i % 5 == 0)
            line.lineMark = QStringLiteral("推荐");
        lines << line;
    }
    return lines;
}

// The flags as an earlier opening left them in the image cache: scrolling shows cached flags.
void seedFlags(const QString &baseUrl)
{
    static const char *codes[] = {"jp", "us", "hk", "cn", "sg", "de", "kr"};
    for (int i = 0; i < 7; ++i) {
        QImage image(64, 64, QImage::Format_RGB32);
        image.fill(QColor::fromHsv(i * 50, 160, 220));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        const QString url = NBHomeLineListModel::joinAddress(baseUrl, QStringLiteral("/static/flags/%1.png").arg(QLatin1String(codes[i])));
        ImageCache::shared().setDataForKey(bytes, url);
    }
}

double ms(qint64 ns)
{
    return double(ns) / 1e6;
}

struct Stats
{
    double median = 0, p99 = 0, max = 0;
    int frames = 0;
};

Stats stats(QList<qint64> samples)
{
    Stats s;
    if (samples.isEmpty())
        return s;
    std::sort(samples.begin(), samples.end());
    s.frames = int(samples.size());
    s.median = ms(samples.at(samples.size() / 2));
    s.p99 = ms(samples.at(std::min<qsizetype>(samples.size() - 1, samples.size() * 99 / 100)));
    s.max = ms(samples.last());
    return s;
}

class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

double threadCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

qint64 openOnce(QWidget &window, const QList<OOHomeNodeModel> &lines, NBHomeLineListView **out)
{
    const double cpuBefore = threadCpuMs();
    QElapsedTimer timer;
    timer.start();
    auto *popup = new NBHomeLineListView;
    const qint64 built = timer.nsecsElapsed();
    popup->setShowList(lines);
    const qint64 listed = timer.nsecsElapsed();
    popup->reloadLines();
    const qint64 marked = timer.nsecsElapsed();
    PaintCounter painted;
    popup->tableView()->viewport()->installEventFilter(&painted);
    popup->show();
    const qint64 shown = timer.nsecsElapsed();
    // Frames as the window draws them, until one has the lines in it.
    int frames = 0;
    while (painted.paints == 0 && timer.elapsed() < 2000) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(&window, QEvent::UpdateRequest);
        ++frames;
    }
    if (std::getenv("OSTREL_BENCH_STEPS"))
        std::printf("  %d turns of the event loop\n", frames);
    const qint64 elapsed = timer.nsecsElapsed();
    popup->tableView()->viewport()->removeEventFilter(&painted);
    if (painted.paints == 0)
        std::printf("  (the lines were never painted)\n");
    if (std::getenv("OSTREL_BENCH_STEPS"))
        std::printf("  build %.2f, list %.2f, mark %.2f, show %.2f, paint %.2f ms (GUI thread CPU %.2f ms)\n", ms(built),
                    ms(listed - built), ms(marked - listed), ms(shown - marked), ms(elapsed - shown), threadCpuMs() - cpuBefore);
    if (out)
        *out = popup;
    else
        popup->deleteLater();
    return elapsed;
}

// One frame as the window would draw it: the scroll, then the pending paint of what changed.
QList<qint64> scrollThrough(QWidget &window, NBLineTableView *table, int step)
{
    QList<qint64> frames;
    QScrollBar *bar = table->verticalScrollBar();
    bar->setValue(0);
    QElapsedTimer timer;
    while (bar->value() < bar->maximum()) {
        timer.start();
        bar->setValue(bar->value() + step);
        QCoreApplication::sendPostedEvents(&window, QEvent::UpdateRequest);
        frames << timer.nsecsElapsed();
    }
    return frames;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir profile;
    qputenv("HOME", profile.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (profile.path() + QStringLiteral("/.config")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (profile.path() + QStringLiteral("/.cache")).toLocal8Bit());
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 2000;
    const QList<OOHomeNodeModel> lines = makeLines(count);
    UserDefaults::standard().setString(DefaultsKeys::kProxyLineInfo, lines.at(count / 2).toJsonText());

    seedFlags(OOHostSafeAdpter::shared().currentDomain());

    QWidget window;
    window.resize(800, 500);
    window.show();
    WindowInUse::setContentWidget(&window);
    // Painting starts once the platform exposed the window.
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    // A running client has read its signed-in user at start: the database is open already.
    (void)MKUserTable().queryUser();
    // A running client has drawn the home screen's text before the popup opens: the fonts are
    // loaded already.
    {
        QLabel primer(QStringLiteral("切换线路和模式 Best line"), &window);
        primer.setFont(NSFontHelper::getRegularPingFangFont(18));
        primer.show();
        window.repaint();
    }

    const qint64 cold = openOnce(window, lines, nullptr);
    // The cold opening alone, for a profiler: the warm ones and the scrolling would drown it.
    if (std::getenv("OSTREL_BENCH_COLD_ONLY")) {
        std::printf("open to first painted frame: cold %.2f ms\n", ms(cold));
        WindowInUse::setContentWidget(nullptr);
        return 0;
    }
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QList<qint64> warm;
    for (int i = 0; i < 15; ++i) {
        warm << openOnce(window, lines, nullptr);
        // The closed popup goes before the next opening is timed.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    NBHomeLineListView *popup = nullptr;
    openOnce(window, lines, &popup);
    NBLineTableView *table = popup->tableView();
    PaintCounter counter;
    table->viewport()->installEventFilter(&counter);
    const Stats rows = stats(scrollThrough(window, table, 56));
    const int rowPaints = counter.paints;
    const Stats pages = stats(scrollThrough(window, table, table->viewport()->height()));

    std::printf("line popup, %d lines, offscreen, 800 x 500\n", count);
    std::printf("open to first painted frame: cold %.2f ms, warm median %.2f ms (max %.2f ms)\n", ms(cold),
                stats(warm).median, stats(warm).max);
    std::printf("(viewport painted %d times while scrolling by row)\n", rowPaints);
    std::printf("scroll by row:  %d frames, median %.3f ms, p99 %.3f ms, max %.3f ms\n", rows.frames, rows.median,
                rows.p99, rows.max);
    std::printf("scroll by page: %d frames, median %.3f ms, p99 %.3f ms, max %.3f ms\n", pages.frames, pages.median,
                pages.p99, pages.max);
    const bool ok = ms(cold) < 16 && rows.max < 16 && pages.max < 16;
    std::printf("goal (every frame within 16 ms): %s\n", ok ? "met" : "missed");
    WindowInUse::setContentWidget(nullptr);
    return 0;
}
