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
// With a document gate set, each call goes through it together with the id its document's page
// script gave it, and reaches the router when and with the page URL the gate decides.
class HHScriptMessageHandlerTarget : public QObject
{
    Q_OBJECT
public:
    using PageUrlProvider = std::function<QUrl()>;
    using DocumentGate = std::function<void(const QString &documentId, std::function<void(const QUrl &page)> delivery)>;

    HHScriptMessageHandlerTarget(ScriptMessageRouter *scriptDeleagte, PageUrlProvider pageUrl,
                                 QObject *parent = nullptr);
    ~HHScriptMessageHandlerTarget() override;

    void setDocumentGate(DocumentGate gate) { m_documentGate = std::move(gate); }

    // Called by the page through the channel.
    Q_INVOKABLE void postMessage(const QString &name, const QJsonValue &body, const QString &documentId);
    // A clicked in-app link, with its text as the page wrote it.
    Q_INVOKABLE void followLink(const QString &href, const QString &documentId);

private:
    void pass(const QString &documentId, std::function<void(ScriptMessageRouter *router, const QUrl &page)> step);

    QPointer<ScriptMessageRouter> m_scriptDeleagte;
    PageUrlProvider m_pageUrl;
    DocumentGate m_documentGate;
};
