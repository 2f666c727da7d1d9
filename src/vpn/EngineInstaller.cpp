#include "vpn/EngineInstaller.h"

#include "common/DefaultsKeys.h"
#include "common/GuiThread.h"
#include "common/Logger.h"
#include "common/UserDefaults.h"
#include "vpn/PrivilegedRunner.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QVersionNumber>

namespace {

// Both Intel kinds run the same build; no name at all for a processor nothing is shipped for.
QString byArchitecture(EngineArchitecture architecture, const QString &arm, const QString &intel)
{
    if (architecture == EngineArchitecture::Unknown)
        return QString();
    return architecture == EngineArchitecture::ARM ? arm : intel;
}

} // namespace

EngineInstaller::EngineInstaller(Engine engine, const EngineSetup &setup)
    : m_engine(engine)
    , m_setup(setup)
    , m_architecture(engineArchitectureFromMachine(setup.machine))
{
}

QString EngineInstaller::getCurrentArchitecture() const
{
    return engineArchitectureText(m_architecture);
}

QString EngineInstaller::getCurrentProgressName() const
{
    if (m_engine == Engine::SSLocal)
        return byArchitecture(m_architecture, QStringLiteral("arm_sslocal"), QStringLiteral("intel_sslocal"));
    return byArchitecture(m_architecture, QStringLiteral("sing-box_arm64"), QStringLiteral("sing-box_amd64"));
}

QString EngineInstaller::getShellFileName() const
{
    if (m_engine == Engine::SSLocal)
        return byArchitecture(m_architecture, QStringLiteral("install_arm_sslocal"), QStringLiteral("install_amd_sslocal"));
    return byArchitecture(m_architecture, QStringLiteral("install_arm_singbox"), QStringLiteral("install_amd_singbox"));
}

QString EngineInstaller::enginePath() const
{
    const QString name = getCurrentProgressName();
    return name.isEmpty() ? QString() : m_setup.engineFolder + QLatin1Char('/') + name;
}

QString EngineInstaller::scriptPath() const
{
    const QString name = getShellFileName();
    return name.isEmpty() ? QString() : m_setup.scriptFolder + QLatin1Char('/') + name + QStringLiteral(".sh");
}

QString EngineInstaller::versionKey() const
{
    return m_engine == Engine::SSLocal ? DefaultsKeys::kSSLocalVersion : DefaultsKeys::kSingBoxVersion;
}

QString EngineInstaller::shippedVersion() const
{
    const QString fallback = QStringLiteral("1.0.0");
    QFile file(m_setup.shippedVersionsFile);
    if (!file.open(QIODevice::ReadOnly))
        return fallback;
    const QJsonObject versions = QJsonDocument::fromJson(file.readAll()).object();
    const QString key = m_engine == Engine::SSLocal ? QStringLiteral("sslocal") : QStringLiteral("sing-box");
    const QString version = versions.value(key).toString();
    return QVersionNumber::fromString(version).isNull() ? fallback : version;
}

bool EngineInstaller::isVersionOk() const
{
    const std::optional<QString> installed = UserDefaults::standard().stringValue(versionKey());
    if (!installed || QVersionNumber::fromString(*installed).isNull())
        return false;
    return compareVersions(*installed, shippedVersion()) == 0;
}

bool EngineInstaller::isEngineUsable() const
{
    const QFileInfo engine(enginePath());
    return !enginePath().isEmpty() && engine.isFile() && engine.isExecutable();
}

int EngineInstaller::compareVersions(const QString &a, const QString &b)
{
    const QVersionNumber left = QVersionNumber::fromString(a).normalized();
    const QVersionNumber right = QVersionNumber::fromString(b).normalized();
    const int order = QVersionNumber::compare(left, right);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

void EngineInstaller::ensureInstalled(QObject *guard, Done done) const
{
    QObject *context = guard ? guard : QCoreApplication::instance();
    done = GuiThread::later(context, std::function<void(Outcome, QString)>(
        [done = std::move(done)](Outcome outcome, QString error) {
            if (done)
                done(outcome, error);
        }));
    if (m_architecture == EngineArchitecture::Unknown) {
        OSTREL_LOG(Logger::Error, QStringLiteral("no engine for the processor \"%1\"").arg(m_setup.machine));
        done(Outcome::UnknownArchitecture, QStringLiteral("unsupported processor: %1").arg(m_setup.machine));
        return;
    }
    if (isVersionOk() && isEngineUsable()) {
        done(Outcome::Ready, QString());
        return;
    }
    if (!m_setup.runner) {
        done(Outcome::InstallFailed, QStringLiteral("no way to run the install script"));
        return;
    }
    const QString script = scriptPath();
    OSTREL_LOG(Logger::Info, QStringLiteral("run install script: %1").arg(script));
    const EngineInstaller self = *this;
    m_setup.runner->runScript(script, {}, context, [self, done](bool ok, const QString &error) {
        if (ok && self.isEngineUsable()) {
            OSTREL_LOG(Logger::Info, QStringLiteral("installation success"));
            UserDefaults &defaults = UserDefaults::standard();
            defaults.setString(self.versionKey(), self.shippedVersion());
            // Unsaved, the next start only asks for the install once more.
            if (!defaults.synchronize())
                OSTREL_LOG(Logger::Warning, QStringLiteral("installed version not saved; the next start installs again"));
            done(Outcome::Ready, QString());
            return;
        }
        const QString reason = ok ? QStringLiteral("the engine is still missing after the install") : error;
        OSTREL_LOG(Logger::Error, QStringLiteral("installation failure: %1").arg(reason));
        done(Outcome::InstallFailed, reason);
    });
}
