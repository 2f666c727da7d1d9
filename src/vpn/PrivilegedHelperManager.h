#pragma once

#include "vpn/HelperClient.h"

class PrivilegedRunner;

#include <QObject>

#include <functional>
#include <memory>

enum class HelperStatus { installed = 0, noFound = 1, needUpdate = 2 };

// The client's side of the proxy-settings helper: checks at start-up that the installed helper
// answers with the version shipped beside the client, installs it with administrator rights when
// it is missing or differs, and hands out the connection the system-proxy road sends its
// commands through.
class PrivilegedHelperManager : public QObject
{
    Q_OBJECT

public:
    static const QString kHelperIdentifier;
    // "ostrel-helper" in the install folder (AppPaths::installFolder()).
    static QString installedHelperPath();
    static constexpr int kVersionTimeoutMs = 15000;

    struct Options
    {
        QString bundledHelperPath;   // the helper shipped beside the client
        QString installedHelperPath; // where the install script puts it
        QString socketPath;
        QString installScriptPath;
        QStringList launchArguments; // extra arguments when the client starts the helper itself
        QString requiredVersion;     // empty: the version the shipped helper's file carries
        int versionTimeoutMs = kVersionTimeoutMs; // how long the version answer is waited for
        int callTimeoutMs = 5000;
        PrivilegedRunner *runner = nullptr; // not owned; null: PrivilegedRunner::standard()
    };

    static Options defaultOptions();
    static PrivilegedHelperManager &shared();
    // Points the shared manager elsewhere (a demo profile running the helper from the build tree
    // with its file backend); the next command opens a connection with these options.
    static void configureShared(Options options);

    explicit PrivilegedHelperManager(Options options = defaultOptions(), QObject *parent = nullptr);
    ~PrivilegedHelperManager() override;

    static QString statusName(HelperStatus status);

    // Answers exactly once, later from the event loop: noFound when nothing is installed, the
    // helper cannot be reached or does not answer its version within versionTimeoutMs.
    void getHelperStatus(std::function<void(HelperStatus)> callback);
    // Installs the helper when it is missing or answers another version; never where its socket
    // path is one no helper could serve, which the log names instead.
    void checkInstall();

    // The fixed install script shipped in the resources. (Never a script written at run time:
    // anything in a user-writable temporary file could be swapped before root runs it.)
    static QString helperInstallScript();
    // `done` runs exactly once, later from the event loop.
    void legacyInstallHelper(const QString &scriptPath, std::function<void(bool ok)> done = {});

    // The connection to the helper; the failure block runs when it cannot be reached or a call
    // is lost. Never null here, as the socket is only tried on the first call.
    ProxyConfigRemoteProcessProtocol *helper(std::function<void(const QString &)> failture = {});

    // The version the installed helper must answer: the one the shipped helper's file carries
    // (its information list); empty when it is missing or carries none ("check helper status
    // fail", noFound).
    QString requiredVersion() const;
    const Options &options() const { return m_options; }
    HelperClient *connection() const { return m_connection.get(); }
    bool isInstalling() const { return m_installing; }

Q_SIGNALS:
    void installFinished(bool ok);

private:
    void initAuthorizationRef();

    Options m_options;
    std::unique_ptr<HelperClient> m_connection;
    bool m_installing = false;
};
