// Opens the line popup with 2,000 lines (or the count given) over an 800 x 500 window and scrolls
// through the whole list, offscreen, painting every frame synchronously. Prints the time from the
// popup's creation to its first painted frame (cold, then the median of warm openings) and the
// paint time of each scroll frame (one row per frame, and one page per frame). The goal is one
// 16 ms frame for each.

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

#include "app/uikit/WindowInUse.h"
#include "common/DefaultsKeys.h"
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
        // Relative paths, made absolute by the popup; nothing listens there, so no flag arrives
        // while measuring and the placeholder is drawn.
        line.abbrUrl = QStringLiteral("/static/flags/%1.png").arg(QLatin1String(codes[i % 7]));
        if (i % 5 == 0)
            line.lineMark = QStringLiteral("推荐");
        lines << line;
    }
    return lines;
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

qint64 openOnce(QWidget &window, const QList<OOHomeNodeModel> &lines, NBHomeLineListView **out)
{
    QElapsedTimer timer;
    timer.start();
    auto *popup = new NBHomeLineListView;
    popup->setShowList(lines);
    popup->reloadLines();
    popup->show();
    window.repaint();
    const qint64 elapsed = timer.nsecsElapsed();
    if (out)
        *out = popup;
    else
        popup->deleteLater();
    return elapsed;
}

QList<qint64> scrollThrough(NBLineTableView *table, int step)
{
    QList<qint64> frames;
    QScrollBar *bar = table->verticalScrollBar();
    bar->setValue(0);
    QElapsedTimer timer;
    while (bar->value() < bar->maximum()) {
        timer.start();
        bar->setValue(bar->value() + step);
        table->viewport()->repaint();
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

    QWidget window;
    window.resize(800, 500);
    window.show();
    WindowInUse::setContentWidget(&window);
    window.repaint();

    const qint64 cold = openOnce(window, lines, nullptr);
    QCoreApplication::processEvents();
    QList<qint64> warm;
    for (int i = 0; i < 15; ++i) {
        warm << openOnce(window, lines, nullptr);
        QCoreApplication::processEvents();
    }
    NBHomeLineListView *popup = nullptr;
    openOnce(window, lines, &popup);
    NBLineTableView *table = popup->tableView();
    const Stats rows = stats(scrollThrough(table, 56));
    const Stats pages = stats(scrollThrough(table, table->viewport()->height()));

    std::printf("line popup, %d lines, offscreen, 800 x 500\n", count);
    std::printf("open to first painted frame: cold %.2f ms, warm median %.2f ms (max %.2f ms)\n", ms(cold),
                stats(warm).median, stats(warm).max);
    std::printf("scroll by row:  %d frames, median %.3f ms, p99 %.3f ms, max %.3f ms\n", rows.frames, rows.median,
                rows.p99, rows.max);
    std::printf("scroll by page: %d frames, median %.3f ms, p99 %.3f ms, max %.3f ms\n", pages.frames, pages.median,
                pages.p99, pages.max);
    const bool ok = ms(cold) < 16 && rows.max < 16 && pages.max < 16;
    std::printf("goal (every frame within 16 ms): %s\n", ok ? "met" : "missed");
    WindowInUse::setContentWidget(nullptr);
    return 0;
}
