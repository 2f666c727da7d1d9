#pragma once

#include <QJsonValue>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>

class ScriptMessageRouter;

// The object a web view registers in its QWebChannel (as ScriptMessageShim::kBridgeObjectName):
// the page's postMessage calls land here and go to the router together with the page's current
// URL, read from the view at that moment (never a URL the page claims). It holds the router
// weakly: once the router is gone, messages are dropped.
//
// With a frame token set, a call must carry it: the token lives only in the script the main
// frame runs, so a call without it comes from elsewhere (another frame) and is dropped.
class HHScriptMessageHandlerTarget : public QObject
{
    Q_OBJECT
public:
    using PageUrlProvider = std::function<QUrl()>;

    HHScriptMessageHandlerTarget(ScriptMessageRouter *scriptDeleagte, PageUrlProvider pageUrl,
                                 QObject *parent = nullptr);
    ~HHScriptMessageHandlerTarget() override;

    void setFrameToken(const QString &token) { m_frameToken = token; }

    // Called by the page through the channel.
    Q_INVOKABLE void postMessage(const QString &name, const QJsonValue &body, const QString &token);
    // A clicked in-app link, with its text as the page wrote it.
    Q_INVOKABLE void followLink(const QString &href, const QString &token);

private:
    bool admits(const QString &token) const;

    QPointer<ScriptMessageRouter> m_scriptDeleagte;
    PageUrlProvider m_pageUrl;
    QString m_frameToken;
};
