#include "support/WebTestDisplay.h"
#include "support/ProcScan.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>

#include <unistd.h>
#include <vector>

namespace WebTestDisplay {

bool ensure(Graphics graphics)
{
    if (TestEnvironment::underOwnDisplay()) {
        // Added to what the pages' own set-up asked for, whichever ran first.
        const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        const QByteArray software = graphics == Graphics::Software ? " --disable-gpu" : "";
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags + software + " --disable-background-networking --disable-component-update");
        if (graphics == Graphics::Software)
            QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        return true;
    }
    QStringList args;
    for (const std::string &arg : ProcScan::arguments(::getpid()))
        args.append(QString::fromLocal8Bit(arg));
    const std::string self = ProcScan::link(::getpid(), "exe");
    if (self.empty())
        return false;
    const QStringList command = TestEnvironment::ownDisplayCommand(QStringLiteral("1280x800x24"), QString::fromLocal8Bit(self),
                                                                   args.mid(1));
    std::vector<QByteArray> bytes;
    for (const QString &arg : command)
        bytes.push_back(arg.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &arg : bytes)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    execvp("xvfb-run", argv.data());
    return false;
}

} // namespace WebTestDisplay
