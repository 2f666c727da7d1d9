#pragma once

#include <QFile>
#include <QJsonObject>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <optional>

#include "helper/FileProxyBackend.h"
#include "helper/ProxySettings.h"
#include "helper/SavedProxyState.h"

// The file store as real stores misbehave: with `dropWrites`, it takes that many writes (a restore
// writes key group by key group) and answers success while it drops them, as gsettings does with
// the session bus gone; with `cutShort`, it takes the first write and fails every later one with
// `failure`, as a store that goes away half-way through a restore does; `beforeWrite` runs just
// before each group's write, where a case plays the user.
class FaultyFileBackend : public FileProxyBackend
{
public:
    using FileProxyBackend::FileProxyBackend;

    QString apply(const ProxySettings &settings) override
    {
        if (onApply)
            onApply();
        return FileProxyBackend::apply(settings);
    }

    QString restoreSnapshot(const QJsonObject &snapshot) override
    {
        if (dropWrites > 0) {
            --dropWrites;
            return {};
        }
        if (cutShort && m_wroteBeforeGone)
            return failure;
        m_wroteBeforeGone = cutShort;
        return FileProxyBackend::restoreSnapshot(snapshot);
    }

    QString writeKeys(const QJsonObject &target, const QStringList &keys) override
    {
        if (beforeWrite)
            beforeWrite(keys);
        if (dropWrites > 0 || keys.contains(dropsGroupOf)) {
            dropWrites = std::max(0, dropWrites - 1);
            return {};
        }
        if (cutShort && m_wroteBeforeGone)
            return failure;
        const QString error = FileProxyBackend::writeKeys(target, keys);
        m_wroteBeforeGone = cutShort;
        return error;
    }

    // Runs as an enable writes the store, after the copy of the user's setting was saved.
    std::function<void()> onApply;
    // Runs before each key group a restore writes, with its keys.
    std::function<void(const QStringList &keys)> beforeWrite;
    int dropWrites = 0;
    // Writes of the group that holds this key are dropped, for good.
    QString dropsGroupOf;
    bool cutShort = false;
    QString failure = QStringLiteral("the store went away");

private:
    bool m_wroteBeforeGone = false;
};

// A company's proxy, as a user's own setting before the client came.
inline ProxySettings companyProxy()
{
    ProxySettings settings;
    settings.mode = ProxySettings::Mode::Manual;
    settings.httpHost = "corp-proxy.example";
    settings.httpPort = 3128;
    settings.ignoreHosts = {"localhost", "intranet.example"};
    return settings;
}

// That store in a folder of the case's own, with the helper's state beside it.
struct FaultyFileDesktop
{
    QTemporaryDir dir;
    FaultyFileBackend backend{dir.filePath("settings.json")};
    SavedProxyState state{dir.filePath("state")};

    ProxySettings read()
    {
        QString error;
        return backend.read(&error).value_or(ProxySettings());
    }
    // Whether any key still says where the client's listener is, read by value.
    bool namesTheListener()
    {
        QString error;
        const std::optional<ProxySettings> settings = backend.read(&error);
        return !settings || settings->socksPort == 9999 || settings->httpPort == 9999 || settings->socksHost == "127.0.0.1";
    }
    static QByteArray bytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};
