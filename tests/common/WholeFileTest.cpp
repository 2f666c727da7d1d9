// A file is written whole or left as it was, on a real full disk: a small tmpfs of the program's own
// (support/SmallDisk.h), filled to the last byte.
#include "common/WholeFile.h"

#include "support/SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// What the folder holds besides the disk's own filler: a temporary file left behind shows here.
QStringList namesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot);
}

class WholeFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_disk = std::make_unique<SmallDisk>(m_dir.path() + QStringLiteral("/disk"));
        if (const std::optional<std::string> why = m_disk->unavailable())
            GTEST_SKIP() << *why;
    }

    QString path(const QString &name) const { return m_disk->folder() + QLatin1Char('/') + name; }

    QTemporaryDir m_dir;
    std::unique_ptr<SmallDisk> m_disk;
};

const QByteArray kOld = QByteArray("{\"old\": true}\n");
// Small enough for QSaveFile to hold in its buffer: the full disk shows only at the flush.
const QByteArray kNewSmall = QByteArray("{\"new\": \"") + QByteArray(400, 'n') + "\"}\n";
// Larger than that buffer: the full disk shows at the write itself.
const QByteArray kNewLarge = QByteArray(40 * 1024, 'L');

TEST_F(WholeFileTest, OnAFullDiskTheOldFileStaysAndTheSystemsReasonComesBack)
{
    const QString target = path(QStringLiteral("settings.json"));
    ASSERT_EQ(WholeFile::write(target, kOld), QString());
    ASSERT_TRUE(m_disk->fill());

    for (const QByteArray &content : {kNewSmall, kNewLarge}) {
        const QString error = WholeFile::write(target, content);
        EXPECT_EQ(error, QStringLiteral("cannot write %1: No space left on device").arg(target)) << content.size();
        EXPECT_EQ(fileBytes(target), kOld) << content.size();
        EXPECT_EQ(namesIn(m_disk->folder()), QStringList{QStringLiteral("settings.json")}) << "a temporary file stayed";
    }

    // A file that was not there is not made, not even empty.
    const QString fresh = path(QStringLiteral("fresh.json"));
    EXPECT_FALSE(WholeFile::write(fresh, kNewSmall).isEmpty());
    EXPECT_FALSE(QFile::exists(fresh));

    m_disk->makeRoom();
    EXPECT_EQ(WholeFile::write(target, kNewSmall), QString());
    EXPECT_EQ(fileBytes(target), kNewSmall);
}

// A download writes piece by piece into its own QSaveFile and ends it through WholeFile.
TEST_F(WholeFileTest, AStreamedWriterIsNotCommittedOnAFullDiskAndItsTemporaryFileGoesAtOnce)
{
    const QString target = path(QStringLiteral("download.bin"));
    ASSERT_EQ(WholeFile::write(target, kOld), QString());

    QSaveFile file(target);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(QByteArray(100, 'a')), 100);
    ASSERT_TRUE(m_disk->fill());
    ASSERT_EQ(file.write(QByteArray(100, 'b')), 100) << "the piece is held in the buffer";

    EXPECT_EQ(WholeFile::commit(file), QStringLiteral("cannot write %1: No space left on device").arg(target));
    EXPECT_EQ(fileBytes(target), kOld);
    // Gone while the writer still lives, so the space it held is back for what comes next.
    EXPECT_EQ(namesIn(m_disk->folder()), QStringList{QStringLiteral("download.bin")});
}

TEST_F(WholeFileTest, PermissionsAreTheGivenOnesOrTheOldFilesOwn)
{
    // The owner's, the group's and the others' bits; Qt's "user" bits follow whoever asks.
    constexpr int kOwnerGroupOther = 0xF0FF;
    const QString target = path(QStringLiteral("secret.json"));
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    ASSERT_EQ(WholeFile::write(target, kOld, ownerOnly), QString());
    EXPECT_EQ(QFile::permissions(target) & kOwnerGroupOther, ownerOnly & kOwnerGroupOther);

    const QFileDevice::Permissions readable = ownerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    ASSERT_TRUE(QFile::setPermissions(target, readable));
    ASSERT_EQ(WholeFile::write(target, kNewSmall), QString());
    EXPECT_EQ(QFile::permissions(target) & kOwnerGroupOther, readable & kOwnerGroupOther);
}

} // namespace
