// AES and digests checked against an independent implementation: the openssl command line,
// run on the same key and IV.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "common/AppPaths.h"
#include "common/Hashing.h"
#include "common/OOAES256.h"
#include "common/ProtocolConfig.h"

namespace {

// Runs "openssl enc" with the derived key and the shared IV; returns stdout, or nothing on failure.
std::optional<QByteArray> opensslEnc(bool decrypt, const QString &keyString, const QByteArray &input)
{
    QStringList args{ QStringLiteral("enc"), QStringLiteral("-aes-256-cbc"), QStringLiteral("-a"), QStringLiteral("-A"),
                      QStringLiteral("-K"), QString::fromLatin1(OOAES256::deriveKey(keyString).toHex()),
                      QStringLiteral("-iv"), QString::fromLatin1(ProtocolConfig::iv().toHex()) };
    if (decrypt)
        args << QStringLiteral("-d");
    QProcess process;
    process.start(QStringLiteral("openssl"), args);
    if (!process.waitForStarted(5000))
        return std::nullopt;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(10000) || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

} // namespace

TEST(CryptoTest, ConfigurationHoldsTheSharedValues)
{
    ASSERT_TRUE(ProtocolConfig::isLoaded()) << ProtocolConfig::loadError().toStdString();
    EXPECT_EQ(ProtocolConfig::iv().size(), 16);
    EXPECT_EQ(ProtocolConfig::qrLoginKey(), QStringLiteral("5a0d93e7c41f28b6907e3d15ac84f26b"));
    EXPECT_EQ(ProtocolConfig::projectName(), QStringLiteral("tamsine"));
    const QString password = ProtocolConfig::resourceArchivePassword();
    EXPECT_EQ(password.size(), 8);
    EXPECT_EQ(password, password.toLower());
    EXPECT_FALSE(ProtocolConfig::apiKey().isEmpty());
    EXPECT_FALSE(ProtocolConfig::value(QStringLiteral("no.such.path")).isString());
}

TEST(CryptoTest, EncryptionMatchesOpensslBothWays)
{
    const QString key = ProtocolConfig::apiKey();
    const QStringList samples{ QString(), QStringLiteral("a"), QStringLiteral("exactly sixteen!"),
                               QStringLiteral("{\"kind\":1,\"name\":\"线路 一\"}"), QString(200, QLatin1Char('x')) };
    for (const QString &plain : samples) {
        const std::optional<QString> ours = OOAES256::encrypt(key, plain);
        ASSERT_TRUE(ours.has_value());
        EXPECT_FALSE(ours->contains(QLatin1Char('\n')));
        const std::optional<QByteArray> theirs = opensslEnc(false, key, plain.toUtf8());
        ASSERT_TRUE(theirs.has_value()) << "openssl enc failed";
        EXPECT_EQ(ours->toLatin1(), theirs->trimmed()) << plain.toStdString();

        const std::optional<QByteArray> back = opensslEnc(true, key, ours->toLatin1() + '\n');
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(*back, plain.toUtf8());
        EXPECT_EQ(OOAES256::decrypt(key, QString::fromLatin1(theirs->trimmed())), plain.toUtf8());
    }
}

TEST(CryptoTest, AbsentAndDamagedInputGiveNothing)
{
    const QString key = ProtocolConfig::apiKey();
    EXPECT_FALSE(OOAES256::encrypt(key, std::nullopt).has_value());

    const QString good = *OOAES256::encrypt(key, QStringLiteral("some secret payload, long enough"));
    EXPECT_EQ(OOAES256::decryptToString(key, good + QStringLiteral("\r\n")), QStringLiteral("some secret payload, long enough"));

    EXPECT_FALSE(OOAES256::decrypt(key, QString()).has_value());
    EXPECT_FALSE(OOAES256::decrypt(key, QStringLiteral("not base64 at all!")).has_value());
    EXPECT_FALSE(OOAES256::decrypt(ProtocolConfig::pathKey(), good).has_value()) << "wrong key must not decrypt";

    QByteArray raw = QByteArray::fromBase64(good.toLatin1());
    const QByteArray truncated = raw.left(raw.size() - 3);
    EXPECT_FALSE(OOAES256::decrypt(key, QString::fromLatin1(truncated.toBase64())).has_value());
    const QByteArray oneBlockShort = raw.left(raw.size() - 16);
    const auto shortened = OOAES256::decrypt(key, QString::fromLatin1(oneBlockShort.toBase64()));
    EXPECT_NE(shortened, QByteArray("some secret payload, long enough"));
    raw[raw.size() - 1] = char(raw.at(raw.size() - 1) ^ 0x5a); // damages the padding block
    EXPECT_FALSE(OOAES256::decrypt(key, QString::fromLatin1(raw.toBase64())).has_value());

    EXPECT_FALSE(OOAES256::encryptRaw(QByteArray(31, 'k'), ProtocolConfig::iv(), "x").has_value());
    EXPECT_FALSE(OOAES256::decryptToString(key, *OOAES256::encryptBytes(key, QByteArray("\xff\xfe", 2))).has_value());
}

TEST(CryptoTest, DigestsAreLowerCaseHex)
{
    EXPECT_EQ(SSMD5(QString()), QStringLiteral("d41d8cd98f00b204e9800998ecf8427e"));
    EXPECT_EQ(SSMD5(QStringLiteral("abc")), QStringLiteral("900150983cd24fb0d6963f7d28e17f72"));
    EXPECT_EQ(SSMD5(QStringLiteral("é")), SSMD5(QByteArray("\xc3\xa9")));
    EXPECT_EQ(Hashing::sha256Hex("abc"),
              QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
}

TEST(CryptoTest, FileMd5ReadsWholeFileAndReportsMissingOnes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("archive.zip"));
    QByteArray content;
    for (int i = 0; i < 5000; ++i)
        content.append(char(i * 7));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    EXPECT_EQ(fileMD5Hex(path), SSMD5(content));

    QFile empty(dir.filePath(QStringLiteral("empty")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    EXPECT_EQ(fileMD5Hex(empty.fileName()), QStringLiteral("d41d8cd98f00b204e9800998ecf8427e"));

    EXPECT_FALSE(fileMD5Hex(dir.filePath(QStringLiteral("missing"))).has_value());
    EXPECT_FALSE(fileMD5Hex(dir.path()).has_value()) << "a folder is not a file";
}

TEST(CryptoTest, MissingOrBrokenConfigurationGivesEmptyValues)
{
    QTemporaryDir dir;
    const QString saved = AppPaths::resourceFolder();
    AppPaths::setResourceFolderForTesting(dir.path());
    ProtocolConfig::reloadForTesting();
    EXPECT_FALSE(ProtocolConfig::isLoaded());
    EXPECT_TRUE(ProtocolConfig::apiKey().isEmpty());
    EXPECT_TRUE(ProtocolConfig::iv().isEmpty());
    EXPECT_FALSE(OOAES256::encrypt(QStringLiteral("k"), QStringLiteral("text")).has_value());

    QFile broken(dir.filePath(QStringLiteral("protocol.json")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("{\"crypto\": {\"iv_hex\": \"00112233\"");
    broken.close();
    ProtocolConfig::reloadForTesting();
    EXPECT_FALSE(ProtocolConfig::isLoaded());
    EXPECT_TRUE(ProtocolConfig::object(QStringLiteral("crypto")).isEmpty());

    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("{\"crypto\": {\"iv_hex\": \"00112233\"}}"); // too short to be an IV
    broken.close();
    ProtocolConfig::reloadForTesting();
    EXPECT_TRUE(ProtocolConfig::isLoaded());
    EXPECT_TRUE(ProtocolConfig::iv().isEmpty());

    AppPaths::setResourceFolderForTesting(saved);
    ProtocolConfig::reloadForTesting();
    EXPECT_TRUE(ProtocolConfig::isLoaded());
}
