// Resident memory of this process and every process under it (Chromium's zygote, GPU and
// renderers), with no web view, then with the purchase page open and loaded.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cstdio>
#include <unistd.h>

#include "uikit/NBBaseViewController.h"
#include "common/AppPaths.h"
#include "web/NBUpgradeViewController.h"
#include "web/ScriptMessageWebPage.h"

namespace {

long statusField(const QString &pid, const char *field)
{
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

// Kibibytes resident in this process and its descendants.
long treeRssKiB()
{
    QMap<QString, QString> parentOf;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        if (pid.toLong() > 0)
            parentOf.insert(pid, QString::number(statusField(pid, "PPid:")));
    }
    const QString self = QString::number(getpid());
    long total = 0;
    for (auto it = parentOf.cbegin(); it != parentOf.cend(); ++it) {
        for (QString walk = it.key(); !walk.isEmpty() && walk != QLatin1String("0"); walk = parentOf.value(walk)) {
            if (walk == self) {
                total += statusField(it.key(), "VmRSS:");
                break;
            }
        }
    }
    return total;
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    AppPaths::setResourceFolderForTesting(QStringLiteral(OSTREL_SOURCE_DIR "/resources"));

    QWidget window;
    window.resize(728, 500);
    window.show();
    QTest::qWait(1000);
    std::printf("without a page: %ld KiB\n", treeRssKiB());

    auto *screen = new NBUpgradeViewController(&window);
    screen->show();
    NBBaseViewController::setAppearing(screen, true);
    bool loaded = false;
    QObject::connect(screen->page(), &QWebEnginePage::loadFinished, [&](bool ok) { loaded = ok; });
    if (!QTest::qWaitFor([&] { return loaded; }, 60000)) {
        std::printf("the purchase page did not load\n");
        return 1;
    }
    QTest::qWait(2000);
    std::printf("purchase page open: %ld KiB\n", treeRssKiB());
    // What the page shows, read from its document: the user information came through the bridge.
    bool read = false;
    screen->page()->runJavaScript(QStringLiteral("document.body.innerText"), [&](const QVariant &text) {
        std::printf("page text: %s\n", qPrintable(text.toString().simplified().left(200)));
        read = true;
    });
    if (!QTest::qWaitFor([&] { return read; }, 10000)) {
        std::printf("the page text could not be read\n");
        return 1;
    }
    delete screen;
    QTest::qWait(2000);
    std::printf("after closing it: %ld KiB\n", treeRssKiB());
    return 0;
}
