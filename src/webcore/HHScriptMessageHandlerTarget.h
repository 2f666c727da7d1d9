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
class HHScriptMessageHandlerTarget : public QObject
{
    Q_OBJECT
public:
    using PageUrlProvider = std::function<QUrl()>;

    HHScriptMessageHandlerTarget(ScriptMessageRouter *scriptDeleagte, PageUrlProvider pageUrl,
                                 QObject *parent = nullptr);
    ~HHScriptMessageHandlerTarget() override;

    // Called by the page through the channel.
    Q_INVOKABLE void postMessage(const QString &name, const QJsonValue &body);

private:
    QPointer<ScriptMessageRouter> m_scriptDeleagte;
    PageUrlProvider m_pageUrl;
};
