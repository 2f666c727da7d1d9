#include "common/SafeArchiveExtractor.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/TestZipBuilder.h"

namespace {

using Extractor = SafeArchiveExtractor;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Every path under a folder (symlinks not followed), relative, sorted.
QStringList listing(const QString &folder)
{
    QStringList paths;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        paths.append(QDir(folder).relativeFilePath(it.next()));
    paths.sort();
    return paths;
}

class SafeArchiveExtractorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        m_target = m_root.filePath(QStringLiteral("box/target"));
        m_outside = m_root.filePath(QStringLiteral("outside"));
        ASSERT_TRUE(QDir().mkpath(m_target));
        ASSERT_TRUE(QDir().mkpath(m_outside));
    }

    // Nothing but the target itself beside the target: no staging or old folders left behind.
    void expectNoLeftovers() const { EXPECT_EQ(listing(m_root.filePath(QStringLiteral("box"))).filter(QStringLiteral(".target.")), QStringList()); }

    QTemporaryDir m_root;
    QString m_target;
    QString m_outside;
};

TEST_F(SafeArchiveExtractorTest, UnpacksFoldersAndFilesAndReportsEachFile)
{
    const QByteArray zip = TestZipBuilder()
                               .addFile(QStringLiteral("a.txt"), "alpha")
                               .addFolder(QStringLiteral("empty/"))
                               .addFile(QStringLiteral("./sub//deep/b.txt"), "beta")
                               .addFile(QStringLiteral("中文.png"), "png")
                               .build();
    QList<Extractor::Progress> calls;
    Extractor::Options options;
    options.onFile = [&](const Extractor::Progress &p) { calls.append(p); return true; };

    const Extractor::Result result = Extractor::extractData(zip, m_target, options);

    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(result.entryNames, (QStringList{"a.txt", "sub/deep/b.txt", QStringLiteral("中文.png")}));
    EXPECT_EQ(result.files.first(), m_target + QStringLiteral("/a.txt"));
    EXPECT_EQ(readAll(m_target + QStringLiteral("/sub/deep/b.txt")), "beta");
    EXPECT_EQ(readAll(m_target + QStringLiteral("/中文.png")), "png");
    EXPECT_TRUE(QFileInfo(m_target + QStringLiteral("/empty")).isDir());
    ASSERT_EQ(calls.size(), 3);
    EXPECT_EQ(calls[1].name, QStringLiteral("sub/deep/b.txt"));
    EXPECT_EQ(calls[1].index, 1);
    EXPECT_EQ(calls[2].count, 3);
    EXPECT_EQ(calls[2].bytesDone, 12);
    EXPECT_EQ(calls[2].bytesTotal, 12);
    expectNoLeftovers();
}

TEST_F(SafeArchiveExtractorTest, MergeReplacesSameNamedFilesAndKeepsOthers)
{
    ASSERT_TRUE(writeFile(m_target + QStringLiteral("/keep.acl"), "kept"));
    ASSERT_TRUE(writeFile(m_target + QStringLiteral("/a.txt"), "old"));
    const QString zipPath = m_root.filePath(QStringLiteral("a.zip"));
    ASSERT_TRUE(TestZipBuilder().addFile(QStringLiteral("a.txt"), "new").writeTo(zipPath));

    const Extractor::Result result = Extractor::extractFile(zipPath, m_target, {});

    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(readAll(m_target + QStringLiteral("/a.txt")), "new");
    EXPECT_EQ(readAll(m_target + QStringLiteral("/keep.acl")), "kept");
}

TEST_F(SafeArchiveExtractorTest, ReplaceFolderSwapsTheWholeFolderAndKeepsItOnFailure)
{
    ASSERT_TRUE(writeFile(m_target + QStringLiteral("/stale.html"), "stale"));
    Extractor::Options options;
    options.placement = Extractor::Placement::ReplaceFolder;

    const QByteArray bad = TestZipBuilder().addFile(QStringLiteral("index.html"), "x").addFile(QStringLiteral("../evil"), "x").build();
    EXPECT_FALSE(Extractor::extractData(bad, m_target, options).ok());
    EXPECT_EQ(listing(m_target), QStringList{"stale.html"});

    const QByteArray good = TestZipBuilder().addFile(QStringLiteral("index.html"), "page").build();
    const Extractor::Result result = Extractor::extractData(good, m_target, options);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(listing(m_target), QStringList{"index.html"});

    // A target that did not exist yet is created.
    const QString fresh = m_root.filePath(QStringLiteral("box/fresh"));
    EXPECT_TRUE(Extractor::extractData(good, fresh, options).ok());
    EXPECT_EQ(readAll(fresh + QStringLiteral("/index.html")), "page");
    expectNoLeftovers();
}

TEST_F(SafeArchiveExtractorTest, HostileNamesAreRefusedAndNothingIsWritten)
{
    const QStringList hostile = {
        QStringLiteral("../evil"),        QStringLiteral("a/../../evil"), QStringLiteral("/tmp/evil"),
        QStringLiteral("..\\evil"),       QStringLiteral("a\\b"),         QStringLiteral("C:/evil"),
        QStringLiteral("a/\nb"),          QStringLiteral(".."),
    };
    for (const QString &name : hostile) {
        // A good entry first: it must not survive the refusal of the later one.
        const QByteArray zip = TestZipBuilder().addFile(QStringLiteral("good.txt"), "g").addFile(name, "evil").build();
        ASSERT_FALSE(zip.isEmpty()) << name.toStdString();
        const Extractor::Result result = Extractor::extractData(zip, m_target, {});
        EXPECT_FALSE(result.ok()) << name.toStdString();
        EXPECT_TRUE(result.error.contains(QStringLiteral("outside the target"))) << result.error.toStdString();
        EXPECT_TRUE(result.files.isEmpty());
    }
    EXPECT_EQ(listing(m_target), QStringList());
    EXPECT_EQ(listing(m_outside), QStringList());
    EXPECT_FALSE(QFileInfo::exists(m_root.filePath(QStringLiteral("box/evil"))));
    expectNoLeftovers();
}

TEST_F(SafeArchiveExtractorTest, SanitisedNamesDropDotsAndRefuseEscapes)
{
    EXPECT_EQ(Extractor::sanitisedEntryName(QStringLiteral("./a//b/./c")), QStringLiteral("a/b/c"));
    EXPECT_EQ(Extractor::sanitisedEntryName(QStringLiteral("dir/")), QStringLiteral("dir"));
    EXPECT_EQ(Extractor::sanitisedEntryName(QStringLiteral("a..b/c..")), QStringLiteral("a..b/c.."));
    EXPECT_EQ(Extractor::sanitisedEntryName(QStringLiteral("./")), QString());
    EXPECT_EQ(Extractor::sanitisedEntryName(QStringLiteral("a/..")), QString());
    EXPECT_EQ(Extractor::sanitisedEntryName(QStringLiteral("//server/x")), QString());
}

TEST_F(SafeArchiveExtractorTest, SymlinkEntriesAreRefused)
{
    const QByteArray zip = TestZipBuilder()
                               .addSymlink(QStringLiteral("link"), m_outside)
                               .addFile(QStringLiteral("link/evil"), "evil")
                               .build();
    const Extractor::Result result = Extractor::extractData(zip, m_target, {});
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error.contains(QStringLiteral("symlink"))) << result.error.toStdString();
    EXPECT_EQ(listing(m_target), QStringList());
    EXPECT_EQ(listing(m_outside), QStringList());
}

TEST_F(SafeArchiveExtractorTest, SymlinksAlreadyOnDiskAreNeverFollowed)
{
    // A folder link inside the target: writing through it would land outside.
    ASSERT_TRUE(QFile::link(m_outside, m_target + QStringLiteral("/sub")));
    const QByteArray through = TestZipBuilder().addFile(QStringLiteral("ok.txt"), "ok").addFile(QStringLiteral("sub/evil"), "evil").build();
    const Extractor::Result refused = Extractor::extractData(through, m_target, {});
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error.contains(QStringLiteral("symlink"))) << refused.error.toStdString();
    EXPECT_EQ(listing(m_outside), QStringList());
    EXPECT_FALSE(QFileInfo::exists(m_target + QStringLiteral("/ok.txt")));

    // A file link at the destination is replaced by the file; what it pointed to is untouched.
    const QString victim = m_outside + QStringLiteral("/victim");
    ASSERT_TRUE(writeFile(victim, "precious"));
    ASSERT_TRUE(QFile::link(victim, m_target + QStringLiteral("/a.txt")));
    const Extractor::Result replaced = Extractor::extractData(TestZipBuilder().addFile(QStringLiteral("a.txt"), "new").build(), m_target, {});
    ASSERT_TRUE(replaced.ok()) << replaced.error.toStdString();
    EXPECT_FALSE(QFileInfo(m_target + QStringLiteral("/a.txt")).isSymLink());
    EXPECT_EQ(readAll(m_target + QStringLiteral("/a.txt")), "new");
    EXPECT_EQ(readAll(victim), "precious");
    expectNoLeftovers();
}

TEST_F(SafeArchiveExtractorTest, SizeCapsStopBombs)
{
    const QByteArray zeros(2 * 1024 * 1024, '\0'); // compresses to a few kilobytes
    Extractor::Options options;
    options.limits.maxEntryBytes = 1024 * 1024;
    const Extractor::Result big = Extractor::extractData(TestZipBuilder().addFile(QStringLiteral("bomb"), zeros).build(), m_target, options);
    EXPECT_FALSE(big.ok());
    EXPECT_TRUE(big.error.contains(QStringLiteral("larger than"))) << big.error.toStdString();

    options.limits.maxEntryBytes = 4 * 1024 * 1024;
    options.limits.maxTotalBytes = 3 * 1024 * 1024;
    const QByteArray two = TestZipBuilder().addFile(QStringLiteral("one"), zeros).addFile(QStringLiteral("two"), zeros).build();
    const Extractor::Result total = Extractor::extractData(two, m_target, options);
    EXPECT_FALSE(total.ok());
    EXPECT_TRUE(total.error.contains(QStringLiteral("more than"))) << total.error.toStdString();

    options.limits = {};
    options.limits.maxEntries = 2;
    const QByteArray many = TestZipBuilder().addFile("1", "1").addFile("2", "2").addFile("3", "3").build();
    EXPECT_FALSE(Extractor::extractData(many, m_target, options).ok());

    EXPECT_EQ(listing(m_target), QStringList());
    expectNoLeftovers();
}

TEST_F(SafeArchiveExtractorTest, TruncatedDamagedAndGarbageArchivesAreErrors)
{
    QByteArray noise(4000, '\0');
    for (char &c : noise)
        c = char(QRandomGenerator::global()->bounded(256));
    const QByteArray good = TestZipBuilder().addFile(QStringLiteral("a.txt"), noise).addFile(QStringLiteral("b.txt"), "b").build();
    ASSERT_TRUE(Extractor::extractData(good, m_root.filePath(QStringLiteral("check")), {}).ok());

    EXPECT_FALSE(Extractor::extractData(good.left(good.size() - 10), m_target, {}).ok());
    EXPECT_FALSE(Extractor::extractData(good.left(good.size() / 2), m_target, {}).ok());
    EXPECT_FALSE(Extractor::extractData(QByteArray(), m_target, {}).ok());
    const Extractor::Result noZip = Extractor::extractData(noise, m_target, {});
    EXPECT_FALSE(noZip.ok());
    EXPECT_TRUE(noZip.error.startsWith(QStringLiteral("cannot open the archive"))) << noZip.error.toStdString();
    EXPECT_FALSE(Extractor::extractFile(m_root.filePath(QStringLiteral("missing.zip")), m_target, {}).ok());

    // A damaged byte inside the first entry's data, directory intact: the checksum catches it.
    QByteArray damaged = good;
    const int at = int(damaged.indexOf("a.txt")) + 2000; // well inside the (incompressible) data
    damaged[at] = char(damaged[at] ^ 0x55);
    EXPECT_FALSE(Extractor::extractData(damaged, m_target, {}).ok());

    EXPECT_EQ(listing(m_target), QStringList());
    expectNoLeftovers();
}

TEST_F(SafeArchiveExtractorTest, PasswordProtectedEntries)
{
    const QByteArray zip = TestZipBuilder().addFile(QStringLiteral("secret.acl"), "rules").encrypt(QStringLiteral("right-password")).build();
    Extractor::Options options;

    const Extractor::Result noPassword = Extractor::extractData(zip, m_target, options);
    EXPECT_FALSE(noPassword.ok());
    EXPECT_TRUE(noPassword.error.contains(QStringLiteral("password"))) << noPassword.error.toStdString();

    options.password = QStringLiteral("wrong-password");
    const Extractor::Result wrong = Extractor::extractData(zip, m_target, options);
    EXPECT_FALSE(wrong.ok());
    EXPECT_TRUE(wrong.error.contains(QStringLiteral("wrong password"))) << wrong.error.toStdString();
    EXPECT_FALSE(wrong.error.contains(options.password));
    EXPECT_EQ(listing(m_target), QStringList());

    options.password = QStringLiteral("right-password");
    const Extractor::Result right = Extractor::extractData(zip, m_target, options);
    ASSERT_TRUE(right.ok()) << right.error.toStdString();
    EXPECT_EQ(readAll(m_target + QStringLiteral("/secret.acl")), "rules");
    expectNoLeftovers();
}

TEST_F(SafeArchiveExtractorTest, CancelFromTheCallbackKeepsNothing)
{
    const QByteArray zip = TestZipBuilder().addFile("1", "1").addFile("2", "2").build();
    Extractor::Options options;
    options.onFile = [](const Extractor::Progress &p) { return p.index == 0; };
    const Extractor::Result result = Extractor::extractData(zip, m_target, options);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error.contains(QStringLiteral("cancelled")));
    EXPECT_EQ(listing(m_target), QStringList());
    expectNoLeftovers();
}

TEST_F(SafeArchiveExtractorTest, EntryThatCollidesWithAnotherIsAnError)
{
    // "a" as a file and then as a folder: one of the two cannot be written.
    const QByteArray zip = TestZipBuilder().addFile(QStringLiteral("a"), "file").addFile(QStringLiteral("a/b"), "x").build();
    EXPECT_FALSE(Extractor::extractData(zip, m_target, {}).ok());
    // A file in the target where the archive needs a folder.
    ASSERT_TRUE(writeFile(m_target + QStringLiteral("/dir"), "file"));
    EXPECT_FALSE(Extractor::extractData(TestZipBuilder().addFile(QStringLiteral("dir/x"), "x").build(), m_target, {}).ok());
    EXPECT_EQ(listing(m_target), QStringList{"dir"});
    expectNoLeftovers();
}

} // namespace
