// The first web page of a run, as the client shows it: the purchase page asked for by name (as the
// left menu's membership item asks for it), in a 728 x 500 window on the X display in $DISPLAY.
// Prints one line of figures:
//   ask to page made (the module loaded, when it is one), to its document loaded, to its first
//   painted content, in ms; resident and private (anonymous) memory of the process tree (the
//   program and Chromium's processes) before the ask, 2 s after the page painted and 2 s after
//   it was closed, in MiB.
// Built twice (bench/web.cmake): linked as the client is (the pages come from the module) and
// with the pages linked in. bench/web/first-page runs both and prints medians side by side.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QPixmap>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <functional>
#include <unistd.h>

#include "uikit/NBBaseViewController.h"
#include "uikit/ScreenFactory.h"

namespace {

long field(const QByteArray &text, const char *name)
{
    for (const QByteArray &line : text.split('\n')) {
        if (line.startsWith(name))
            return line.mid(qstrlen(name)).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct TreeMemory
{
    double residentMiB = 0;
    double privateMiB = 0;
};

// This process and every process under it.
TreeMemory treeMemory()
{
    QMap<QString, QString> parentOf;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        if (pid.toLong() > 0)
            parentOf.insert(pid, QString::number(field(readFile(QStringLiteral("/proc/%1/status").arg(pid)), "PPid:")));
    }
    const QString self = QString::number(getpid());
    TreeMemory total;
    for (auto it = parentOf.cbegin(); it != parentOf.cend(); ++it) {
        for (QString walk = it.key(); !walk.isEmpty() && walk != QLatin1String("0"); walk = parentOf.value(walk)) {
            if (walk != self)
                continue;
            const QByteArray rollup = readFile(QStringLiteral("/proc/%1/smaps_rollup").arg(it.key()));
            total.residentMiB += double(field(rollup, "Rss:")) / 1024;
            total.privateMiB += double(field(rollup, "Anonymous:")) / 1024;
            break;
        }
    }
    return total;
}

// Whether the window shows the page's content: text and pictures give many colours; the window's
// background and an empty view one or two.
bool showsContent(QWidget *window)
{
    const QImage image = window->screen()->grabWindow(window->winId()).toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3) {
            colours.insert(image.pixel(x, y));
            if (colours.size() >= 24)
                return true;
        }
    }
    return false;
}

class LoadWatcher : public QObject
{
    Q_OBJECT
public:
    std::function<void()> loaded;
public Q_SLOTS:
    void onLoaded(bool)
    {
        if (loaded)
            loaded();
    }
};

QObject *webPageOf(QObject *screen)
{
    for (QObject *child : screen->findChildren<QObject *>()) {
        if (child->inherits("QWebEnginePage"))
            return child;
    }
    return nullptr;
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"})
        qputenv(name, (home.path() + QLatin1Char('/') + QLatin1String(name)).toLocal8Bit());
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // As the client's main: the module (or, linked in, Qt WebEngine itself) sets up GL sharing.
    QApplication app(argc, argv);

    QWidget window;
    window.resize(728, 500);
    window.setStyleSheet(QStringLiteral("background: #161616"));
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "bench_web_first_page: no window (run it under xvfb-run)\n");
        return 2;
    }
    QTest::qWait(1000);
    const TreeMemory before = treeMemory();

    QElapsedTimer clock;
    clock.start();
    NBBaseViewController *page = ScreenFactory::instance().make(QStringLiteral("Upgrade"), &window);
    const qint64 madeMs = clock.elapsed();
    page->setGeometry(window.rect());
    page->show();
    NBBaseViewController::setAppearing(page, true);
    QObject *webPage = webPageOf(page);
    if (!webPage) {
        std::fprintf(stderr, "bench_web_first_page: the purchase page has no web page\n");
        return 1;
    }
    // The signal belongs to Chromium's page class, which this program does not link: by name.
    LoadWatcher watcher;
    if (!QObject::connect(webPage, SIGNAL(loadFinished(bool)), &watcher, SLOT(onLoaded(bool)))) {
        std::fprintf(stderr, "bench_web_first_page: the web page has no loadFinished\n");
        return 1;
    }
    bool loaded = false;
    qint64 loadedMs = -1;
    watcher.loaded = [&] {
        loaded = true;
        loadedMs = clock.elapsed();
    };
    // Painted is the first content on the screen, whether or not the document finished loading.
    qint64 paintedMs = -1;
    while (clock.elapsed() < 60000 && (paintedMs < 0 || !loaded)) {
        if (paintedMs < 0 && showsContent(&window))
            paintedMs = clock.elapsed();
        QTest::qWait(5);
    }
    if (!loaded) {
        std::fprintf(stderr, "bench_web_first_page: the purchase page did not load\n");
        return 1;
    }
    QTest::qWait(2000);
    const TreeMemory open = treeMemory();
    delete page;
    QTest::qWait(2000);
    const TreeMemory closed = treeMemory();
    std::printf("made %lld loaded %lld painted %lld before %.1f %.1f open %.1f %.1f closed %.1f %.1f\n",
                (long long)madeMs, (long long)loadedMs, (long long)paintedMs, before.residentMiB, before.privateMiB,
                open.residentMiB, open.privateMiB, closed.residentMiB, closed.privateMiB);
    return paintedMs < 0 ? 1 : 0;
}

#include "FirstPageBench.moc"
