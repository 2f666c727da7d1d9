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

bool HHScriptMessageHandlerTarget::admits(const QString &token) const
{
    if (!m_scriptDeleagte)
        return false;
    if (!m_frameToken.isEmpty() && token != m_frameToken) {
        webLog(QStringLiteral("message without the main frame's token dropped"), Q_FUNC_INFO);
        return false;
    }
    return true;
}

void HHScriptMessageHandlerTarget::postMessage(const QString &name, const QJsonValue &body, const QString &token)
{
    if (!admits(token))
        return;
    m_scriptDeleagte->receive(name, body, m_pageUrl ? m_pageUrl() : QUrl());
}

void HHScriptMessageHandlerTarget::followLink(const QString &href, const QString &token)
{
    if (!admits(token))
        return;
    m_scriptDeleagte->followLink(href, m_pageUrl ? m_pageUrl() : QUrl());
}
