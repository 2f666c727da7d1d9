#include "StandinInstaller.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

bool writeFile(const QString &path, const QByteArray &content, QFile::Permissions permissions)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return false;
    file.close();
    return file.setPermissions(permissions);
}

} // namespace

bool StandinInstaller::build(const QString &debPath, const QString &packageName, const QString &version, QString *error)
{
    QTemporaryDir tree;
    if (!tree.isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    const QString root = tree.path() + QStringLiteral("/pkg");
    const QString doc = root + QStringLiteral("/usr/share/doc/") + packageName;
    if (!QDir().mkpath(root + QStringLiteral("/DEBIAN")) || !QDir().mkpath(doc)) {
        *error = QStringLiteral("cannot make the package tree");
        return false;
    }
    const QByteArray control = "Package: " + packageName.toUtf8() + "\nVersion: " + version.toUtf8()
        + "\nArchitecture: all\nMaintainer: Ostrel stand-in <standin@ostrel.invalid>\n"
          "Section: net\nPriority: optional\nDescription: stand-in upgrade of the Ostrel client\n"
          " Offered by the loopback stand-in service; carries one text file.\n";
    const QFile::Permissions readable = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    if (!writeFile(root + QStringLiteral("/DEBIAN/control"), control, readable)
        || !writeFile(doc + QStringLiteral("/README.standin"), "stand-in upgrade package\n", readable)) {
        *error = QStringLiteral("cannot write the package files");
        return false;
    }
    QProcess dpkgDeb;
    dpkgDeb.setProcessChannelMode(QProcess::MergedChannels);
    dpkgDeb.start(QStringLiteral("dpkg-deb"), {QStringLiteral("--root-owner-group"), QStringLiteral("--build"), root, debPath});
    if (!dpkgDeb.waitForFinished(30000) || dpkgDeb.exitStatus() != QProcess::NormalExit || dpkgDeb.exitCode() != 0) {
        *error = QStringLiteral("dpkg-deb failed: ") + QString::fromLocal8Bit(dpkgDeb.readAll()) + dpkgDeb.errorString();
        return false;
    }
    return true;
}

QByteArray StandinInstaller::package()
{
    std::lock_guard lock(m_mutex);
    if (m_tried)
        return m_package;
    m_tried = true;
    QTemporaryDir out;
    const QString deb = out.path() + QStringLiteral("/ostrel.deb");
    if (!out.isValid() || !build(deb, QStringLiteral("ostrel"), QString::fromLatin1(kVersion), &m_error))
        return m_package;
    QFile file(deb);
    if (file.open(QIODevice::ReadOnly))
        m_package = file.readAll();
    return m_package;
}

QString StandinInstaller::errorText() const
{
    std::lock_guard lock(m_mutex);
    return m_error;
}
