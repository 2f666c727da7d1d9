#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

class ScriptMessageHost;

// The native end of the pages' script messages, without any web engine: a message (its name, its
// body as the page posted it, and the URL of the page that sent it) goes in; reply scripts come
// out through `replyReady`, and actions that need the window go to the ScriptMessageHost.
//
// The web view wraps it: its channel object hands every postMessage to receive() together with
// the page's current URL, and runs each `replyReady` script in that page. The list of names to
// expose as window.webkit.messageHandlers.NAME is registeredNames().
//
// Two gates come before any handling: the name must be one this host registered (a page can
// reach the channel object directly, past the script shim), and the page must be a local one
// (PageOriginPolicy). Anything else is dropped and logged.
class ScriptMessageRouter : public QObject
{
    Q_OBJECT
public:
    // The full-screen page controller (16 names) or the notice popup (11 names).
    enum class HostKind { PageController, Popup };
    enum class Outcome { Handled, UnknownName, UntrustedOrigin };

    ScriptMessageRouter(HostKind kind, ScriptMessageHost *host, QObject *parent = nullptr);

    static QStringList registeredNames(HostKind kind);
    QStringList registeredNames() const { return registeredNames(m_kind); }
    HostKind kind() const { return m_kind; }

    // Handles one message; any reply is emitted in a later event-loop turn, never inside this call.
    Outcome receive(const QString &name, const QJsonValue &body, const QUrl &pageUrl);

    // The page controller's "update" button opens this page (empty: the button does nothing).
    void setProductPageUrl(const QUrl &url) { m_productPage = url; }
    // Where "trackEvent" goes; the analytics manager unless replaced (tests record instead).
    void setEventTracker(std::function<void(const QString &)> tracker) { m_track = std::move(tracker); }
    // The host may be replaced or cleared (a closing view); requests then go nowhere.
    void setHost(ScriptMessageHost *host) { m_host = host; }

    // The URL router of both hosts: "marlet" links stay in the application, http, https and
    // mailto go to the desktop, anything else is refused.
    void openWebURL(const QUrl &url);
    // The same from a link's text. In-app hosts are case-sensitive ("newsList", "linkBuy"), and
    // a parsed URL folds its host to lower case, so "marlet" links are read from the text.
    void openWebURL(const QString &text);
    // A link the page's user clicked, as its text (in-app links keep their case this way): from a
    // local page only, it goes through openWebURL, and the popup then closes as after a "jump".
    Outcome followLink(const QString &href, const QUrl &pageUrl);
    // The page buttons, by their exact "type"; `params` absent for "jumpAction".
    void handleButtonAction(const QString &type, const std::optional<QJsonObject> &params);

Q_SIGNALS:
    // One JavaScript statement to run in the page that sent the message.
    void replyReady(const QString &script);

private:
    void dispatch(const QString &name, const QJsonValue &body);
    void reply(const QString &name, const std::optional<QString> &script);
    void trackEvent(const QJsonValue &body);
    void button(const QJsonValue &body, bool withParams);
    void saveImage(const QJsonValue &body);
    void share(const QJsonValue &body);
    void popupUpdate(const std::optional<QJsonObject> &params);
    // The bytes of an image data URL ("data:image/png;base64,...."); nothing when malformed.
    static std::optional<QByteArray> dataUrlBytes(const QString &text);
    void openInApp(const QString &host);
    void logMessage(const QString &name, const QJsonValue &body) const;

    HostKind m_kind;
    ScriptMessageHost *m_host = nullptr;
    QUrl m_productPage;
    std::function<void(const QString &)> m_track;
};
