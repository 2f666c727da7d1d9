// Each of the client's writers on a real full disk (support/SmallDisk.h, mounted over the writer's
// folder): the write reports its failure, the file it would have replaced keeps its old content,
// no temporary file stays, and once the space is back the same write lands.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

#include "common/AppPaths.h"
#include "networking/InstallerFileWriter.h"
#include "support/PngBytes.h"
#include "support/SmallDisk.h"
#include "uikit/ImageCache.h"
#include "vpn/EngineConfigWriter.h"
#include "vpn/EngineRecord.h"
#include "webcore/OOPackageFiles.h"

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QJsonObject marked(const QString &marker)
{
    return QJsonObject{{QStringLiteral("marker"), marker}};
}

// A writer as the client drives it: the folder its file lives in, the file, and one write of a
// content told apart by `marker`, answering whether it reported success.
struct Writer
{
    const char *name;
    std::function<QString(const QString &scratch)> folder;
    std::function<QString(const QString &folder)> file;
    std::function<bool(const QString &folder, const QString &marker)> write;
    // Whether the content follows the marker (a record of the same process is the same record).
    bool marks = true;
};

void PrintTo(const Writer &writer, std::ostream *out)
{
    *out << writer.name;
}

bool installerWrite(const QString &path, const QString &marker)
{
    QString error;
    InstallerFileWriter *writer = InstallerFileWriter::open(path, &error);
    if (!writer)
        return false;
    QSignalSpy committed(writer, &InstallerFileWriter::committed);
    // Small pieces: the last sits in the file's buffer until the commit.
    writer->append(QByteArray(300, 'i'));
    writer->append(marker.toUtf8());
    writer->finish();
    if (!committed.wait(10000))
        return false;
    return committed.first().at(0).toBool();
}

const Writer kWriters[] = {
    {"engine configuration",
     [](const QString &scratch) { return scratch + QStringLiteral("/private"); },
     [](const QString &folder) { return folder + QStringLiteral("/sslocal.conf"); },
     [](const QString &folder, const QString &marker) {
         return EngineConfigWriter::writeJson(folder, QStringLiteral("sslocal.conf"), marked(marker)).ok;
     }},
    {"engine record",
     [](const QString &) { return EngineRecord::folder(); },
     [](const QString &folder) {
         return folder + QStringLiteral("/engine-%1.json").arg(QCoreApplication::applicationPid());
     },
     [](const QString &, const QString &) {
         return EngineRecord::write(QCoreApplication::applicationPid(), QCoreApplication::applicationFilePath()).isEmpty();
     },
     false},
    {"route list",
     [](const QString &) { return AppPaths::dataFolder(); },
     [](const QString &) { return OOPackageFiles::listPath(OOPackageFiles::kRouterList); },
     [](const QString &, const QString &marker) {
         return !OOPackageFiles::writeList(OOPackageFiles::kRouterList, marked(marker)).has_value();
     }},
    {"image cache",
     [](const QString &scratch) { return scratch + QStringLiteral("/images"); },
     [](const QString &folder) { return ImageCache(folder).cachePathForKey(QStringLiteral("avatar")); },
     [](const QString &folder, const QString &marker) {
         ImageCache cache(folder);
         const QColor colour = marker == QLatin1String("old") ? Qt::red : Qt::blue;
         return cache.setDataForKey(pngBytes(colour, QSize(8, 8)), QStringLiteral("avatar")).ok();
     }},
    {"installer download",
     [](const QString &scratch) { return scratch + QStringLiteral("/Downloads"); },
     [](const QString &folder) { return folder + QStringLiteral("/ostrel-setup.deb"); },
     [](const QString &folder, const QString &marker) {
         return installerWrite(folder + QStringLiteral("/ostrel-setup.deb"), marker);
     }},
};

class WritersOnAFullDiskTest : public ::testing::TestWithParam<Writer>
{
};

TEST_P(WritersOnAFullDiskTest, TheOldFileSurvivesAndTheWriteLandsOnceSpaceReturns)
{
    const Writer &writer = GetParam();
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString folder = writer.folder(scratch.path());
    SmallDisk disk(folder);
    if (const std::optional<std::string> why = disk.unavailable())
        GTEST_SKIP() << *why;
    const QString path = writer.file(folder);

    ASSERT_TRUE(writer.write(folder, QStringLiteral("old")));
    const QByteArray old = fileBytes(path);
    ASSERT_FALSE(old.isEmpty());
    ASSERT_TRUE(disk.fill());
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_FALSE(writer.write(folder, QStringLiteral("new"))) << "a write on a full disk reported success";
    EXPECT_EQ(fileBytes(path), old);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot), names);

    disk.makeRoom();
    EXPECT_TRUE(writer.write(folder, QStringLiteral("new")));
    if (writer.marks) {
        EXPECT_NE(fileBytes(path), old);
    }
    EXPECT_FALSE(fileBytes(path).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(EachWriter, WritersOnAFullDiskTest, ::testing::ValuesIn(kWriters),
                         [](const ::testing::TestParamInfo<Writer> &info) {
                             QString name = QString::fromLatin1(info.param.name);
                             name.replace(QLatin1Char(' '), QLatin1Char('_'));
                             return name.toStdString();
                         });

} // namespace
