#include "web/ScriptMessageWebPage.h"

#include <QColor>
#include <QFile>
#include <QWebChannel>
#include <QWebEngineLoadingInfo>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>

#include "upgrade/UpgradeProductPage.h"
#include "webcore/HHScriptMessageHandlerTarget.h"
#include "webcore/PageNavigationPolicy.h"
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

// Every request of the page, its own document and subresources, frames, fetches and forms alike,
// passes the page's request rule; Qt calls it on the GUI thread.
class PageRequestGate : public QWebEngineUrlRequestInterceptor
{
public:
    PageRequestGate(const PageRequestPolicy *policy, QObject *parent)
        : QWebEngineUrlRequestInterceptor(parent)
        , m_policy(policy)
    {
    }

    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        const QUrl url = info.requestUrl();
        if (m_policy->allows(url))
            return;
        info.block(true);
        // Scheme and host are enough to find the page at fault; a path may name the user's files.
        webLog(QStringLiteral("page request refused: %1 %2").arg(url.scheme(), url.host().left(100)), Q_FUNC_INFO);
    }

private:
    const PageRequestPolicy *m_policy;
};

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
    // A page loads its own scripts and styles from beside it, and calls the service itself (signed
    // through encryptString): Chromium refuses both to a file: page unless local content may reach
    // files and remote addresses. Which files and which addresses is the request gate's business.
    config->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    config->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    refreshServiceHosts();
    m_interceptor = new PageRequestGate(&m_requests, this);
    setUrlRequestInterceptor(m_interceptor);

    // The page's URL is the view's, never one the page claims; the gate decides which document
    // is answered, and when.
    QPointer<ScriptMessageWebPage> self(this);
    auto *target = new HHScriptMessageHandlerTarget(m_router, [self] { return self ? self->answeringUrl() : QUrl(); }, this);
    target->setDocumentGate([self](const QString &documentId, PageDocumentGate::Delivery delivery) {
        if (self)
            self->m_gate.deliver(documentId, std::move(delivery));
    });
    m_channel->registerObject(ScriptMessageShim::kBridgeObjectName, target);
    setWebChannel(m_channel, QWebEngineScript::MainWorld);
    installBridgeScript();

    connect(m_router, &ScriptMessageRouter::replyReady, this, &ScriptMessageWebPage::evaluateReply);
    // The gate hears of navigations from acceptNavigationRequest, which sees only those accepted,
    // and of their ends by address: a refused one ends too, with a failure of its own.
    connect(this, &QWebEnginePage::loadingChanged, this, &ScriptMessageWebPage::identifyDocument);
}

ScriptMessageWebPage::~ScriptMessageWebPage()
{
    // Messages still queued in the channel must not reach a host that is going away.
    m_router->setHost(nullptr);
    setUrlRequestInterceptor(nullptr);
}

QUrl ScriptMessageWebPage::answeringUrl() const
{
    const QUrl loaded = m_gate.answeringUrl();
    // The gate has seen the load finish; the view must still show that very document.
    const auto document = [](const QUrl &url) { return url.adjusted(QUrl::RemoveFragment); };
    return loaded.isValid() && document(loaded) == document(url()) ? loaded : QUrl();
}

void ScriptMessageWebPage::whenAnswering(std::function<void()> step)
{
    m_gate.deliver(PageDocumentGate::kAnyDocument, [step = std::move(step)](const QUrl &) { step(); });
}

void ScriptMessageWebPage::identifyDocument(const QWebEngineLoadingInfo &info)
{
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
        return;
    const bool ok = info.status() == QWebEngineLoadingInfo::LoadSucceededStatus && !info.isErrorPage();
    qCDebug(lcWeb) << (ok ? "didfinish" : "didFail");
    const PageDocumentGate::LoadEnd end = m_gate.loadFinished(ok, info.url(), url());
    if (end == PageDocumentGate::LoadEnd::Refused)
        Q_EMIT documentRefused();
    if (end != PageDocumentGate::LoadEnd::Identifying)
        return;
    // Read in the main frame of the document that has just loaded: only it holds this id.
    QPointer<ScriptMessageWebPage> self(this);
    const int navigation = m_gate.navigation();
    runJavaScript(QStringLiteral("window.%1 || ''").arg(ScriptMessageShim::kDocumentIdName), QWebEngineScript::MainWorld,
                  [self, navigation](const QVariant &id) {
                      if (!self)
                          return;
                      self->m_gate.documentIdentified(navigation, id.toString());
                      if (navigation == self->m_gate.navigation() && !self->m_gate.isAnswering())
                          Q_EMIT self->documentRefused();
                  });
}

void ScriptMessageWebPage::refreshServiceHosts()
{
    m_requests.setServiceHosts(PageRequestPolicy::serviceHosts());
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
    if (!PageOriginPolicy::isTrustedPage(answeringUrl())) {
        webLog(QStringLiteral("reply dropped: the page is no longer a loaded local page"), Q_FUNC_INFO);
        return;
    }
    // Chromium reports no evaluation error to us; the line keeps the log's shape.
    runJavaScript(script, QWebEngineScript::MainWorld, [](const QVariant &) {
        qCDebug(lcWeb).noquote() << "evaluateJavaScript: nil";
    });
    Q_EMIT replyEvaluated(script);
}

bool ScriptMessageWebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    std::optional<bool> decided;
    if (m_navigationFilter)
        decided = m_navigationFilter(url, type, isMainFrame);
    if (decided && !*decided)
        return false;
    const bool linkClicked = type == NavigationTypeLinkClicked;
    if (linkClicked && isMainFrame && m_linkPolicy)
        return m_linkPolicy(url);
    switch (PageNavigationPolicy::decide(url, linkClicked, isMainFrame)) {
    case PageNavigationPolicy::Decision::Refuse:
        webLog(QStringLiteral("navigation of the main frame to %1 refused: not a local page").arg(url.scheme()),
               Q_FUNC_INFO);
        return false;
    case PageNavigationPolicy::Decision::FollowLink:
        m_router->openWebURL(url);
        return false;
    case PageNavigationPolicy::Decision::Allow:
        break;
    }
    if (!decided && !QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame))
        return false;
    if (isMainFrame) {
        // The hosts may have moved on since the last page (a fail-over picks another one).
        m_gate.navigationStarted(url);
        refreshServiceHosts();
    }
    return true;
}

void ScriptMessageWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                                   int lineNumber, const QString &sourceID)
{
    // Debug output only: a page's console text is the page's, and may hold what it is sending.
    Q_UNUSED(level)
    qCDebug(lcWeb).noquote() << "page console" << QUrl(sourceID).fileName() + QLatin1Char(':') + QString::number(lineNumber)
                             << message.left(300);
}
