// The install half of the package pipeline and the page loader, on real archives: the checksum
// rules, hostile archives at both places an archive is unpacked, and what is left behind.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "common/AppPaths.h"
#include "common/Hashing.h"
#include "support/TestZipBuilder.h"
#include "webcore/OOPackageFiles.h"
#include "webcore/OOPackagePipeline.h"
#include "webcore/OOPageLoader.h"

namespace {

using Result = OOPackagePipeline::Result;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int leftovers()
{
    return QDir(QDir::tempPath()).entryList({QStringLiteral("ostrel-package-*")}, QDir::AllEntries | QDir::Hidden).size();
}

class PipelineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A temporary folder of this process alone, so other test programs' runs are not counted.
        const QString temp = QDir::homePath() + QStringLiteral("/tmp");
        QDir().mkpath(temp);
        qputenv("TMPDIR", QFile::encodeName(temp));
        QDir(AppPaths::dataFolder()).removeRecursively();
        AppPaths::ensureFolder(AppPaths::privateFolder(), true);
        target = OOPackageFiles::installedPath(QStringLiteral("gfwlist"), QStringLiteral(".acl"));
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old list\n");
    }

    OOPackagePipeline::Request request(const QByteArray &archive, const QString &md5Override = QString(),
                                       bool withMd5 = true) const
    {
        QString url = QStringLiteral("https://example.com/static/archives/gfwlist.zip?fid=1");
        if (withMd5)
            url += QStringLiteral("&md5key=") + (md5Override.isNull() ? Hashing::md5Hex(archive) : md5Override);
        return {url, QStringLiteral("gfwlist"), target, {}};
    }

    Result install(const QByteArray &archive)
    {
        return OOPackagePipeline::install(archive, request(archive));
    }

    QString password() const { return OOPackageFiles::packagePassword(); }
    QString target;
};

} // namespace

TEST_F(PipelineTest, InstallsTheArchivesFileInOneStep)
{
    const int before = leftovers();
    const QByteArray archive = TestZipBuilder().addFile(QStringLiteral("gfwlist.acl"), "new list\n").encrypt(password()).build();
    QString from;
    EXPECT_EQ(OOPackagePipeline::install(archive, request(archive), &from), Result::Installed);
    EXPECT_EQ(readAll(target), QByteArray("new list\n"));
    EXPECT_EQ(from, QStringLiteral("gfwlist.acl"));
    EXPECT_EQ(leftovers(), before) << "each run's temporary folder is removed";
    // Only the installed file: no staging or temporary names beside it.
    EXPECT_EQ(QDir(AppPaths::privateFolder()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("gfwlist.acl")});
}

TEST_F(PipelineTest, TellsTheArchivesChecksumWhetherOrNotItMatches)
{
    const QByteArray archive = TestZipBuilder().addFile(QStringLiteral("gfwlist.acl"), "new\n").encrypt(password()).build();
    QStringList told;
    OOPackagePipeline::Request refused = request(archive, Hashing::md5Hex("other"));
    refused.checksummed = [&](const QString &md5) { told << md5; };
    EXPECT_EQ(OOPackagePipeline::install(archive, refused), Result::ChecksumRefused);
    EXPECT_EQ(told, QStringList{Hashing::md5Hex(archive)});
}

TEST_F(PipelineTest, ChecksumMustBeThereAndMatchExactly)
{
    const QByteArray archive = TestZipBuilder().addFile(QStringLiteral("gfwlist.acl"), "new\n").encrypt(password()).build();
    EXPECT_EQ(OOPackagePipeline::install(archive, request(archive, QString(), false)), Result::ChecksumRefused);
    EXPECT_EQ(OOPackagePipeline::install(archive, request(archive, QStringLiteral(""))), Result::ChecksumRefused);
    EXPECT_EQ(OOPackagePipeline::install(archive, request(archive, Hashing::md5Hex(archive).toUpper())), Result::ChecksumRefused);
    EXPECT_EQ(OOPackagePipeline::install(archive, request(archive, Hashing::md5Hex("other"))), Result::ChecksumRefused);
    EXPECT_EQ(readAll(target), QByteArray("old list\n"));
}

TEST_F(PipelineTest, HostileAndBrokenArchivesInstallNothing)
{
    const QString outside = AppPaths::dataFolder() + QStringLiteral("/escaped");
    const QList<QByteArray> hostile{
        TestZipBuilder().addFile(QStringLiteral("../escaped"), "x").encrypt(password()).build(),
        TestZipBuilder().addFile(outside, "x").encrypt(password()).build(),
        TestZipBuilder().addFile(QStringLiteral("a\\..\\..\\escaped"), "x").encrypt(password()).build(),
        TestZipBuilder().addSymlink(QStringLiteral("gfwlist.acl"), QStringLiteral("/etc/passwd")).encrypt(password()).build(),
        TestZipBuilder().addFile(QStringLiteral("gfwlist.acl"), "x").encrypt(QStringLiteral("00000000")).build(),
        TestZipBuilder().addFolder(QStringLiteral("only-a-folder/")).build(),
        QByteArray("this is not a zip archive"),
        QByteArray(),
    };
    for (const QByteArray &archive : hostile) {
        const Result result = install(archive);
        EXPECT_TRUE(result == Result::UnzipFailed) << OOPackagePipeline::resultName(result).toStdString();
        EXPECT_EQ(readAll(target), QByteArray("old list\n"));
        EXPECT_FALSE(QFileInfo::exists(outside));
    }
    // A half-good archive: the good entry is not installed either.
    const QByteArray mixed = TestZipBuilder().addFile(QStringLiteral("gfwlist.acl"), "new\n")
                                 .addFile(QStringLiteral("../escaped"), "x").encrypt(password()).build();
    EXPECT_EQ(install(mixed), Result::UnzipFailed);
    EXPECT_EQ(readAll(target), QByteArray("old list\n"));
}

TEST_F(PipelineTest, SeveralFilesInstallTheLastOnce)
{
    const QByteArray archive = TestZipBuilder().addFile(QStringLiteral("a.acl"), "first\n")
                                   .addFile(QStringLiteral("b.acl"), "second\n").encrypt(password()).build();
    EXPECT_EQ(install(archive), Result::Installed);
    EXPECT_EQ(readAll(target), QByteArray("second\n"));
}

TEST_F(PipelineTest, UnwritableTargetIsAFailure)
{
    const QByteArray archive = TestZipBuilder().addFile(QStringLiteral("gfwlist.acl"), "new\n").encrypt(password()).build();
    // A folder where the file should go cannot be replaced by a file.
    QFile::remove(target);
    QDir().mkpath(target + QStringLiteral("/occupied"));
    EXPECT_EQ(install(archive), Result::InstallFailed);
    EXPECT_TRUE(QFileInfo(target).isDir());
    QDir(target).removeRecursively();
}

TEST(PackageFiles, PlainNamesOnly)
{
    for (const char *good : {"buypage", "mac-tamsine-download", "gfwlist_KR", "v1.2"})
        EXPECT_TRUE(OOPackageFiles::isPlainName(QString::fromLatin1(good))) << good;
    for (const char *bad : {"", ".", "..", "../x", "a/b", "a\\b", "a b", "页面", "x\n", "/abs"})
        EXPECT_FALSE(OOPackageFiles::isPlainName(QString::fromUtf8(bad))) << bad;
}

TEST(PackageFiles, ListsFallBackToTheBundleAndWriteWhole)
{
    QDir(AppPaths::dataFolder()).removeRecursively();
    const std::optional<QJsonObject> bundled = OOPackageFiles::readList(OOPackageFiles::kVersionList);
    ASSERT_TRUE(bundled);
    EXPECT_TRUE(QFileInfo(AppPaths::privateFolder()).isDir()) << "the first list read makes the private folder";
    QJsonObject changed = *bundled;
    changed.insert(QStringLiteral("aclVersion"), 9);
    EXPECT_FALSE(OOPackageFiles::writeList(OOPackageFiles::kVersionList, changed));
    EXPECT_EQ(OOPackageFiles::readList(OOPackageFiles::kVersionList)->value(QStringLiteral("aclVersion")), QJsonValue(9));
    QFile broken(OOPackageFiles::listPath(OOPackageFiles::kVersionList));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("[1,2");
    broken.close();
    EXPECT_EQ(OOPackageFiles::readList(OOPackageFiles::kVersionList), bundled) << "a broken copy falls back to the bundle";
}

class PageLoaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir(AppPaths::dataFolder()).removeRecursively();
        ASSERT_TRUE(QFile::exists(OOPageLoader::bundledArchive(OOPageLoader::kPurchasePage)))
            << "the page archives are built with the project";
    }
};

TEST_F(PageLoaderTest, FirstLoadCopiesTheBundledArchiveAndUnpacksIt)
{
    QObject context;
    std::optional<QString> entry;
    int calls = 0;
    OOPageLoader::loadPage(OOPageLoader::kPurchasePage, &context, [&](std::optional<QString> e) {
        entry = e;
        ++calls;
    });
    EXPECT_EQ(calls, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls > 0; }, 10000));
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 1);
    ASSERT_TRUE(entry);
    EXPECT_EQ(*entry, AppPaths::pageFolder() + QStringLiteral("/buypage/index.html"));
    EXPECT_TRUE(QFile::exists(OOPageLoader::localArchive(OOPageLoader::kPurchasePage)));
    EXPECT_TRUE(QFile::exists(AppPaths::pageFolder() + QStringLiteral("/buypage/bridge.js")));
    EXPECT_TRUE(readAll(*entry).contains("buy.js"));

    // The download page uses its one name everywhere.
    const std::optional<QString> download = OOPageLoader::unpack(OOPageLoader::kDownloadPage);
    ASSERT_TRUE(download);
    EXPECT_EQ(*download, AppPaths::pageFolder() + QStringLiteral("/mac-tamsine-download/index.html"));
    EXPECT_TRUE(QFile::exists(AppPaths::privateFolder() + QStringLiteral("/mac-tamsine-download.zip")));
}

TEST_F(PageLoaderTest, AnInstalledArchiveWinsAndAHostileOneKeepsTheOldPage)
{
    ASSERT_TRUE(OOPageLoader::unpack(OOPageLoader::kPurchasePage));
    // A newer package in the private folder (a plain zip, as the page update installs it).
    const QString local = OOPageLoader::localArchive(OOPageLoader::kPurchasePage);
    ASSERT_TRUE(TestZipBuilder().addFile(QStringLiteral("index.html"), "<p>v2</p>").writeTo(local));
    const std::optional<QString> entry = OOPageLoader::unpack(OOPageLoader::kPurchasePage);
    ASSERT_TRUE(entry);
    EXPECT_EQ(readAll(*entry), QByteArray("<p>v2</p>"));
    EXPECT_FALSE(QFile::exists(AppPaths::pageFolder() + QStringLiteral("/buypage/bridge.js"))) << "no stale files";

    const QString outside = AppPaths::dataFolder() + QStringLiteral("/escaped.html");
    for (const QByteArray &hostile : {TestZipBuilder().addFile(QStringLiteral("index.html"), "<p>v3</p>")
                                          .addFile(QStringLiteral("../../escaped.html"), "x").build(),
                                      TestZipBuilder().addSymlink(QStringLiteral("index.html"), QStringLiteral("/etc/passwd")).build(),
                                      QByteArray("not a zip")}) {
        QFile file(local);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(hostile);
        file.close();
        EXPECT_FALSE(OOPageLoader::unpack(OOPageLoader::kPurchasePage));
        EXPECT_EQ(readAll(*entry), QByteArray("<p>v2</p>"));
        EXPECT_FALSE(QFileInfo::exists(outside));
    }
    // A package without a start page shows nothing.
    ASSERT_TRUE(TestZipBuilder().addFile(QStringLiteral("other.html"), "x").writeTo(local));
    EXPECT_FALSE(OOPageLoader::unpack(OOPageLoader::kPurchasePage));
    EXPECT_FALSE(OOPageLoader::unpack(QStringLiteral("../buypage")));
}
