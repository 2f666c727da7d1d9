// The desktop's link opener, as the client starts it: it gets the link and nothing the client
// holds open but the standard streams, so the client's web engine can end with the client.
// A stand-in `xdg-open` first in PATH records its process and waits.
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "web/DesktopLinkOpener.h"
#include "support/ProcScan.h"
#include "support/ProcessWaits.h"

namespace {

class DesktopLinkOpenerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QFile opener(m_dir.filePath(QStringLiteral("xdg-open")));
        ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
        // Becomes `sleep`, keeping its process and whatever it inherited.
        opener.write("#!/bin/sh\necho \"$$ $1\" > \"$0.started.tmp\" && mv \"$0.started.tmp\" \"$0.started\"\nexec sleep 300\n");
        opener.close();
        opener.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        m_path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(m_dir.path()) + ':' + m_path);
    }

    void TearDown() override { qputenv("PATH", m_path); }

    QString startedFile() const { return m_dir.filePath(QStringLiteral("xdg-open.started")); }

    QTemporaryDir m_dir;
    QByteArray m_path;
};

TEST_F(DesktopLinkOpenerTest, TheOpenerGetsTheLinkAndNoneOfTheClientsFiles)
{
    // Held open as the web engine's shared memory and the log file are: inheritable.
    const QByteArray marker = QFile::encodeName(m_dir.filePath(QStringLiteral("client-file")));
    const int held = ::open(marker.constData(), O_CREAT | O_RDWR, 0600);
    ASSERT_GE(held, 3);
    const auto closeHeld = qScopeGuard([held] { ::close(held); });

    DesktopLinkOpener::open(QUrl(QStringLiteral("https://example.com/a?b=c")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(startedFile()); }, 10000));
    QFile started(startedFile());
    ASSERT_TRUE(started.open(QIODevice::ReadOnly));
    const QList<QByteArray> record = started.readAll().trimmed().split(' ');
    ASSERT_EQ(record.size(), 2);
    const pid_t pid = pid_t(record.at(0).toLongLong());
    const auto end = qScopeGuard([pid] { EXPECT_TRUE(ProcessWaits::end(pid)); });
    EXPECT_EQ(record.at(1), "https://example.com/a?b=c");
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const std::vector<std::string> arguments = ProcScan::arguments(pid);
        return !arguments.empty() && arguments.front().ends_with("sleep");
    }, 10000));
    EXPECT_EQ(ProcessWaits::settledDescriptors(pid), (std::vector<int>{0, 1, 2}));
}

} // namespace
