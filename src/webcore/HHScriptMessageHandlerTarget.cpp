#include "webcore/HHScriptMessageHandlerTarget.h"

#include "webcore/ScriptMessageRouter.h"
#include "webcore/WebLog.h"

HHScriptMessageHandlerTarget::HHScriptMessageHandlerTarget(ScriptMessageRouter *scriptDeleagte, PageUrlProvider pageUrl,
                                                           QObject *parent)
    : QObject(parent)
    , m_scriptDeleagte(scriptDeleagte)
    , m_pageUrl(std::move(pageUrl))
{
}

HHScriptMessageHandlerTarget::~HHScriptMessageHandlerTarget()
{
    qCDebug(lcWeb).noquote() << "对象销毁 HHScriptMessageHandlerTarget";
}

void HHScriptMessageHandlerTarget::pass(const QString &documentId,
                                        std::function<void(ScriptMessageRouter *router, const QUrl &page)> step)
{
    if (!m_scriptDeleagte)
        return;
    if (!m_documentGate)
        return step(m_scriptDeleagte, m_pageUrl ? m_pageUrl() : QUrl());
    QPointer<ScriptMessageRouter> router = m_scriptDeleagte;
    m_documentGate(documentId, [router, step](const QUrl &page) {
        if (router)
            step(router, page);
    });
}

void HHScriptMessageHandlerTarget::postMessage(const QString &name, const QJsonValue &body, const QString &documentId)
{
    pass(documentId, [name, body](ScriptMessageRouter *router, const QUrl &page) { router->receive(name, body, page); });
}

void HHScriptMessageHandlerTarget::followLink(const QString &href, const QString &documentId)
{
    pass(documentId, [href](ScriptMessageRouter *router, const QUrl &page) { router->followLink(href, page); });
}
