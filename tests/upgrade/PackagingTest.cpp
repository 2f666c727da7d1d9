// The project makes its own Debian package, and it is the package the upgrade accepts: named
// "ostrel", with the install script executable in the bundle folder.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Runs `program` to its end, however long a loaded machine takes: the test's own deadline (its
// ctest TIMEOUT) is the bound.
QString run(const QString &program, const QStringList &arguments, int *exitCode, const QString &folder = {})
{
    QProcess process;
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.waitForFinished(-1);
    *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromLocal8Bit(process.readAll());
}

} // namespace

TEST(PackagingTest, CpackMakesThePackageTheUpgradeInstalls)
{
    const QString build = QStringLiteral(OSTREL_BINARY_DIR);
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    int code = 0;
    // From the tree the build made (cpack builds nothing). Without the package's Depends, which
    // dpkg-shlibdeps works out from every library the binaries link, most of cpack's time: that
    // field is not what is checked here.
    const QString log = run(QStringLiteral("cpack"),
                            {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), out.path(),
                             QStringLiteral("-D"), QStringLiteral("CPACK_DEBIAN_PACKAGE_SHLIBDEPS=OFF")},
                            &code, build);
    ASSERT_EQ(code, 0) << log.toStdString();
    const QStringList debs = QDir(out.path()).entryList({QStringLiteral("ostrel_*.deb")}, QDir::Files);
    ASSERT_EQ(debs.size(), 1) << log.toStdString();
    const QString deb = out.path() + QLatin1Char('/') + debs[0];

    EXPECT_EQ(run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb, QStringLiteral("Package")}, &code).trimmed(),
              QStringLiteral("ostrel"));
    const QString contents = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), deb}, &code);
    EXPECT_TRUE(contents.contains(QStringLiteral("./usr/bin/ostrel\n")));
    EXPECT_TRUE(contents.contains(QStringLiteral("./usr/bin/ostrel-helper\n")));
    // What the build makes for the bundle, the page archives among it.
    EXPECT_TRUE(contents.contains(QStringLiteral("./usr/share/ostrel-built/pages/buypage.zip\n")));
    EXPECT_TRUE(contents.contains(QStringLiteral("./usr/share/ostrel-built/system-notice-default.zip\n")));
    bool scriptExecutable = false;
    for (const QString &line : contents.split(QLatin1Char('\n')))
        if (line.endsWith(QStringLiteral("./usr/share/ostrel/update_new_version.sh")))
            scriptExecutable = line.startsWith(QStringLiteral("-rwxr-xr-x root/root"));
    EXPECT_TRUE(scriptExecutable) << contents.toStdString();
}
