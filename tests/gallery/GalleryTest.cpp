// Runs ostrel-gallery and checks every picture it lists: present, of the size its scene
// declares, and not blank; and its command line: help, the scene list and mistakes.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRect>
#include <QSet>
#include <QStringList>
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

struct GalleryRun
{
    bool finished = false;
    int exitCode = -1;
    QString out;
    QString err;
};

// One run of the gallery in `workDir`, so whatever it writes relative to it shows there.
GalleryRun runGallery(const QStringList &args, const QString &workDir)
{
    QProcess gallery;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    gallery.setProcessEnvironment(env);
    gallery.setWorkingDirectory(workDir);
    gallery.start(QStringLiteral(OSTREL_BINARY_DIR "/bin/ostrel-gallery"), args);
    GalleryRun run;
    run.finished = gallery.waitForFinished(120000) && gallery.exitStatus() == QProcess::NormalExit;
    run.exitCode = gallery.exitCode();
    run.out = QString::fromUtf8(gallery.readAllStandardOutput());
    run.err = QString::fromUtf8(gallery.readAllStandardError());
    return run;
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

TEST(GalleryCommandLine, HelpPrintsTheUsageAndWritesNothing)
{
    for (const QString &help : {QStringLiteral("-h"), QStringLiteral("--help")}) {
        QTemporaryDir work;
        ASSERT_TRUE(work.isValid());
        const GalleryRun run = runGallery({help}, work.path());
        ASSERT_TRUE(run.finished) << help.toStdString();
        EXPECT_EQ(run.exitCode, 0) << help.toStdString();
        EXPECT_TRUE(run.out.contains(QStringLiteral("OUTDIR"))) << run.out.toStdString();
        EXPECT_TRUE(run.out.contains(QStringLiteral("--list"))) << run.out.toStdString();
        // Once, "-h" was taken for the output folder and filled with every picture.
        EXPECT_TRUE(entriesOf(work.path()).isEmpty()) << entriesOf(work.path()).join(u' ').toStdString();
    }
}

TEST(GalleryCommandLine, ListPrintsTheSceneNamesOneALine)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const GalleryRun all = runGallery({QStringLiteral("--list")}, work.path());
    ASSERT_TRUE(all.finished);
    EXPECT_EQ(all.exitCode, 0) << all.err.toStdString();
    const QStringList names = all.out.split(u'\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(names.contains(QStringLiteral("kit/placeholder_screen")));
    QStringList sorted = names;
    sorted.sort();
    EXPECT_EQ(names, sorted);
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size());

    const GalleryRun some = runGallery({QStringLiteral("--list"), QStringLiteral("kit/")}, work.path());
    ASSERT_TRUE(some.finished);
    EXPECT_EQ(some.exitCode, 0);
    const QStringList kit = some.out.split(u'\n', Qt::SkipEmptyParts);
    EXPECT_FALSE(kit.isEmpty());
    EXPECT_LT(kit.size(), names.size());
    for (const QString &name : kit)
        EXPECT_TRUE(name.startsWith(QStringLiteral("kit/"))) << name.toStdString();
    EXPECT_TRUE(entriesOf(work.path()).isEmpty());
}

TEST(GalleryCommandLine, MistakesExitWithTheUsageAndWriteNothing)
{
    const QList<QStringList> mistakes{
        {},                                                             // no folder
        {QStringLiteral("--bogus")},                                    // unknown option alone
        {QStringLiteral("--bogus"), QStringLiteral("out")},             // unknown option with a folder
        {QStringLiteral("-x"), QStringLiteral("out")},
        {QStringLiteral("out"), QStringLiteral("kit/"), QStringLiteral("extra")},
        {QStringLiteral("--list"), QStringLiteral("kit/"), QStringLiteral("extra")},
    };
    for (const QStringList &args : mistakes) {
        QTemporaryDir work;
        ASSERT_TRUE(work.isValid());
        const GalleryRun run = runGallery(args, work.path());
        ASSERT_TRUE(run.finished) << args.join(u' ').toStdString();
        EXPECT_EQ(run.exitCode, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("Usage:"))) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
        EXPECT_TRUE(entriesOf(work.path()).isEmpty()) << args.join(u' ').toStdString();
    }
}

TEST(GalleryCommandLine, AFilterDrawsOnlyTheScenesItNames)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const GalleryRun one = runGallery({QStringLiteral("out"), QStringLiteral("kit/placeholder_screen")}, work.path());
    ASSERT_TRUE(one.finished);
    EXPECT_EQ(one.exitCode, 0) << one.err.toStdString();
    QFile manifestFile(QDir(work.path()).filePath(QStringLiteral("out/manifest.json")));
    ASSERT_TRUE(manifestFile.open(QIODevice::ReadOnly));
    const QJsonArray manifest = QJsonDocument::fromJson(manifestFile.readAll()).array();
    ASSERT_EQ(manifest.size(), 1);
    EXPECT_EQ(manifest.at(0).toObject().value(QStringLiteral("name")).toString(), QStringLiteral("kit/placeholder_screen"));

    // A filter that names nothing is a mistake, not an empty success.
    const GalleryRun none = runGallery({QStringLiteral("nothing"), QStringLiteral("no/such/scene")}, work.path());
    ASSERT_TRUE(none.finished);
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_FALSE(QDir(work.path()).exists(QStringLiteral("nothing")));
}

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
        // The chosen message's pane is a web view: blank when pictured before it painted.
        if (name.startsWith(QStringLiteral("message/list_chosen"))) {
            EXPECT_GE(distinctColours(image.copy(QRect(363, 0, 365, 500))), 2) << name.toStdString() << ": blank pane";
        }
    }
    // The kit's own pictures are always there, whatever the screens add.
    EXPECT_TRUE(names.contains(QStringLiteral("kit/placeholder_screen")));
    EXPECT_TRUE(names.contains(QStringLiteral("message/list_chosen_markup_title")));
}
