#include "web/ScriptMessageWebPage.h"

#include <QColor>
#include <QFile>
#include <QWebChannel>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

#include "upgrade/UpgradeProductPage.h"
#include "webcore/HHScriptMessageHandlerTarget.h"
#include "webcore/PageOriginPolicy.h"
#include "webcore/ScriptMessageShim.h"
#include "webcore/WebLog.h"

namespace {

const QString kBridgeScriptName = QStringLiteral("native-bridge");
const QString kInitialDataScriptName = QStringLiteral("initializeData");

QString webChannelSource()
{
    QFile file(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

ScriptMessageWebPage::ScriptMessageWebPage(ScriptMessageRouter::HostKind kind, ScriptMessageHost *host,
                                           QObject *parent)
    : QWebEnginePage(parent)
    , m_router(new ScriptMessageRouter(kind, host, this))
    , m_channel(new QWebChannel(this))
{
    setBackgroundColor(QColor(Qt::transparent));
    if (kind == ScriptMessageRouter::HostKind::PageController)
        m_router->setProductPageUrl(UpgradeProductPage::url());
    QWebEngineSettings *config = settings();
    // Without this, Chromium passes a clicked link of a scheme it does not know to the desktop,
    // past every rule of ours.
    config->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
    config->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    config->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    // The pages' own files sit beside them on disk, and the pages call the service themselves
    // (signed through encryptString): Chromium refuses any request from a file: page to the
    // network unless local content may reach remote addresses.
    config->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    config->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);

    // The page's URL is read when each message arrives, never taken from the page.
    QPointer<QWebEnginePage> self(this);
    auto *target = new HHScriptMessageHandlerTarget(m_router, [self] { return self ? self->url() : QUrl(); }, this);
    m_channel->registerObject(ScriptMessageShim::kBridgeObjectName, target);
    setWebChannel(m_channel, QWebEngineScript::MainWorld);
    installBridgeScript();

    connect(m_router, &ScriptMessageRouter::replyReady, this, &ScriptMessageWebPage::evaluateReply);
    connect(this, &QWebEnginePage::loadFinished, this, [](bool ok) {
        qCDebug(lcWeb) << (ok ? "didfinish" : "didFail");
    });
}

ScriptMessageWebPage::~ScriptMessageWebPage()
{
    // Messages still queued in the channel must not reach a host that is going away.
    m_router->setHost(nullptr);
}

void ScriptMessageWebPage::installBridgeScript()
{
    QWebEngineScript script;
    script.setName(kBridgeScriptName);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(webChannelSource() + QLatin1Char('\n') + ScriptMessageShim::source(m_router->registeredNames()));
    scripts().insert(script);
}

void ScriptMessageWebPage::setInitialDataScript(const QString &source)
{
    for (const QWebEngineScript &old : scripts().find(kInitialDataScriptName))
        scripts().remove(old);
    if (source.isEmpty())
        return;
    QWebEngineScript script;
    script.setName(kInitialDataScriptName);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(source);
    scripts().insert(script);
}

bool ScriptMessageWebPage::hasInitialDataScript()
{
    return !scripts().find(kInitialDataScriptName).isEmpty();
}

void ScriptMessageWebPage::evaluateReply(const QString &script)
{
    // The router hands replies over in a later turn; the page may have moved on to another
    // document since. A reply can hold the user's token: it goes only to a local page.
    if (!PageOriginPolicy::isTrustedPage(url())) {
        webLog(QStringLiteral("reply dropped: the page is no longer a local page"), Q_FUNC_INFO);
        return;
    }
    runJavaScript(script, QWebEngineScript::MainWorld);
    Q_EMIT replyEvaluated(script);
}

bool ScriptMessageWebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (m_navigationFilter) {
        if (const std::optional<bool> decided = m_navigationFilter(url, type, isMainFrame))
            return *decided;
    }
    if (type == NavigationTypeLinkClicked && isMainFrame && m_linkPolicy)
        return m_linkPolicy(url);
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

void ScriptMessageWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                                   int lineNumber, const QString &sourceID)
{
    // Debug output only: a page's console text is the page's, and may hold what it is sending.
    Q_UNUSED(level)
    qCDebug(lcWeb).noquote() << "page console" << QUrl(sourceID).fileName() + QLatin1Char(':') + QString::number(lineNumber)
                             << message.left(300);
}
