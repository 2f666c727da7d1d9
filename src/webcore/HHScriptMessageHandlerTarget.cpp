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

void HHScriptMessageHandlerTarget::postMessage(const QString &name, const QJsonValue &body)
{
    if (!m_scriptDeleagte)
        return;
    m_scriptDeleagte->receive(name, body, m_pageUrl ? m_pageUrl() : QUrl());
}
