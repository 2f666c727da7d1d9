// The programs carry only code that runs. Classes that nothing creates live in each layer's
// unreached/ folder, a library of its own that tests and the gallery link and no program does: a
// newcomer's search lands on the code that runs, and the client loads no library for dead code.
// Read three ways: the build's link graph, the programs' own symbols (the client, the helper and
// the web module), and the libraries the client and the helper load.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QString kClient = QStringLiteral(OSTREL_BINARY_DIR "/bin/ostrel");
const QString kHelper = QStringLiteral(OSTREL_BINARY_DIR "/bin/ostrel-helper");
const QString kModule = QStringLiteral(OSTREL_BINARY_DIR "/lib/ostrel/libostrel-web.so");

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000))
        return {};
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// "target: target target ..." per line, written by the build when it is configured.
QMap<QString, QStringList> programLinks()
{
    QMap<QString, QStringList> links;
    QFile file(QStringLiteral(OSTREL_LINK_GRAPH));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return links;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon > 0)
            links.insert(line.left(colon), line.mid(colon + 1).split(QLatin1Char(' '), Qt::SkipEmptyParts));
    }
    return links;
}

// One class per header: the header's name is the class's.
QStringList unreachedClasses()
{
    QStringList names;
    const QDir src(QStringLiteral(OSTREL_SOURCE_DIR "/src"));
    for (const QString &layer : src.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDir unreached(src.filePath(layer + QStringLiteral("/unreached")));
        for (const QFileInfo &header : unreached.entryInfoList({QStringLiteral("*.h")}, QDir::Files))
            names << header.completeBaseName();
    }
    return names;
}

} // namespace

TEST(ProgramLinks, NoProgramLinksAnUnreachedLibrary)
{
    const QMap<QString, QStringList> links = programLinks();
    for (const char *program : {"ostrel", "ostrel-helper", "ostrel-engine-guard", "ostrel-web", "ostrel-standin"})
        EXPECT_TRUE(links.contains(QString::fromLatin1(program))) << program << " is missing from the link graph";
    for (const char *program : {"ostrel", "ostrel-helper", "ostrel-engine-guard", "ostrel-web", "ostrel-standin"}) {
        for (const QString &library : links.value(QString::fromLatin1(program))) {
            EXPECT_FALSE(library.endsWith(QStringLiteral("_unreached"))) << program << " links " << library.toStdString();
        }
    }
}

// The link graph does not see what a program takes in through its link options (the client's
// whole archives) or a module's own sources: the built files are read too.
TEST(ProgramLinks, NoProgramCarriesAnUnreachedClass)
{
    const QStringList classes = unreachedClasses();
    ASSERT_GT(classes.size(), 40);
    for (const QString &program : {kClient, kHelper, kModule}) {
        ASSERT_TRUE(QFileInfo::exists(program)) << program.toStdString();
        const QString symbols = run(QStringLiteral("nm"), {QStringLiteral("-C"), QStringLiteral("--defined-only"), program});
        ASSERT_FALSE(symbols.isEmpty()) << program.toStdString();
        for (const QString &name : classes) {
            const QRegularExpression member(QStringLiteral("(^|[^A-Za-z0-9_])%1::").arg(name),
                                            QRegularExpression::MultilineOption);
            EXPECT_FALSE(member.match(symbols).hasMatch()) << program.toStdString() << " carries " << name.toStdString();
        }
    }
}

TEST(ProgramLinks, TheClientAndTheHelperLoadNoLibraryOnlyUnreachedClassesNeed)
{
    for (const QString &program : {kClient, kHelper}) {
        const QString libraries = run(QStringLiteral("ldd"), {program});
        ASSERT_TRUE(libraries.contains(QStringLiteral("libQt6Core"))) << libraries.toStdString();
        for (const char *unreachedOnly : {"libQt6Positioning", "libqt6keychain"})
            EXPECT_FALSE(libraries.contains(QLatin1String(unreachedOnly))) << program.toStdString() << ": " << libraries.toStdString();
    }
}
