#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

// The desktop proxy as every backend understands it. The JSON form is what getCurrentProxySetting
// answers and what restoreProxy accepts, so a client may hand back what it once read.
class ProxySettings
{
public:
    enum class Mode { None, Manual, Auto };

    Mode mode = Mode::None;
    QString socksHost;
    int socksPort = 0;
    QString httpHost; // also used for HTTPS; empty when SOCKS carries everything
    int httpPort = 0;
    // A store's own HTTPS proxy, where it keeps one apart (GNOME, KDE): read so that a listener
    // named there is seen, never written (apply() points HTTPS at the HTTP proxy), and not part of
    // the JSON form.
    QString httpsHost;
    int httpsPort = 0;
    QStringList ignoreHosts;
    QString autoconfigUrl;

    // Points the desktop at a listener on loopback: SOCKS on socksPort, an HTTP proxy only when
    // the caller names a distinct HTTP port, a PAC address instead when one is given.
    static ProxySettings forLocalListener(int port, int socksPort, const QString &pacUrl,
                                          const QStringList &ignoreHosts);

    // Whether any field that says where traffic goes (SOCKS, HTTP, HTTPS, the PAC address) names
    // the client's listener as an enable with these arguments sets it, by ListenerAddress's rule.
    // The mode is not asked: a listener left in a field not in use comes back the day the user
    // turns that field on.
    bool namesListener(int listenerPort, int listenerSocksPort, const QString &listenerPac) const;

    QJsonObject toJson() const;
    // Strict: unknown modes, bad hosts, ports or exception entries are refused with a reason.
    static std::optional<ProxySettings> fromJson(const QJsonObject &json, QString *error);

    static QString modeName(Mode mode);
    static std::optional<Mode> modeFromName(const QString &name);

    bool operator==(const ProxySettings &other) const = default;
};
