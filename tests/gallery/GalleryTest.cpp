// Runs ostrel-gallery and checks every picture it lists: present, of the size its scene
// declares, and not blank.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Distinct colours on a coarse grid: a blank or one-colour picture has one.
int distinctColours(const QImage &image)
{
    QSet<QRgb> colours;
    const int stepX = qMax(1, image.width() / 64);
    const int stepY = qMax(1, image.height() / 64);
    for (int y = 0; y < image.height(); y += stepY) {
        for (int x = 0; x < image.width(); x += stepX)
            colours.insert(image.pixel(x, y));
    }
    return colours.size();
}

} // namespace

TEST(Gallery, EveryPictureHasItsSizeAndIsNotBlank)
{
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    QProcess gallery;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    gallery.setProcessEnvironment(env);
    gallery.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    gallery.start(QStringLiteral(OSTREL_BINARY_DIR "/bin/ostrel-gallery"), {out.path()});
    ASSERT_TRUE(gallery.waitForFinished(240000));
    ASSERT_EQ(gallery.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(gallery.exitCode(), 0);

    QFile manifestFile(QDir(out.path()).filePath(QStringLiteral("manifest.json")));
    ASSERT_TRUE(manifestFile.open(QIODevice::ReadOnly));
    const QJsonArray manifest = QJsonDocument::fromJson(manifestFile.readAll()).array();
    ASSERT_FALSE(manifest.isEmpty());

    QSet<QString> names;
    for (const QJsonValue &value : manifest) {
        const QJsonObject entry = value.toObject();
        const QString name = entry.value(QStringLiteral("name")).toString();
        names.insert(name);
        const QImage image(QDir(out.path()).filePath(entry.value(QStringLiteral("file")).toString()));
        ASSERT_FALSE(image.isNull()) << name.toStdString();
        EXPECT_EQ(image.width(), entry.value(QStringLiteral("width")).toInt()) << name.toStdString();
        EXPECT_EQ(image.height(), entry.value(QStringLiteral("height")).toInt()) << name.toStdString();
        EXPECT_GE(distinctColours(image), 2) << name.toStdString() << " is blank";
    }
    // The kit's own pictures are always there, whatever the screens add.
    EXPECT_TRUE(names.contains(QStringLiteral("kit/placeholder_screen")));
}
