#include "web/ScriptMessageWebPage.h"

#include <QColor>
#include <QFile>
#include <QWebChannel>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

#include "networking/OONetWork.h"
#include "upgrade/UpgradeProductPage.h"
#include "web/PageProfile.h"
#include "webcore/HHScriptMessageHandlerTarget.h"
#include "webcore/PageNavigationPolicy.h"
#include "webcore/PageOriginPolicy.h"
#include "webcore/ScriptMessageShim.h"
#include "common/Logger.h"
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

PageNavigationPolicy::Cause causeOf(QWebEnginePage::NavigationType type)
{
    switch (type) {
    case QWebEnginePage::NavigationTypeTyped:
        return PageNavigationPolicy::Cause::Host;
    case QWebEnginePage::NavigationTypeReload:
        return PageNavigationPolicy::Cause::Reload;
    case QWebEnginePage::NavigationTypeLinkClicked:
        return PageNavigationPolicy::Cause::LinkClicked;
    default:
        return PageNavigationPolicy::Cause::Page;
    }
}

} // namespace

ScriptMessageWebPage::ScriptMessageWebPage(ScriptMessageRouter::HostKind kind, ScriptMessageHost *host,
                                           QObject *parent)
    : QWebEnginePage(parent)
    , m_kind(kind)
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
    // files and remote addresses. Which files is the request gate's business.
    config->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    config->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    PageProfile::prepare(profile());

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
    connect(this, &QWebEnginePage::renderProcessTerminated, this, &ScriptMessageWebPage::logRendererEnd);
}

ScriptMessageWebPage::~ScriptMessageWebPage()
{
    // Messages still queued in the channel must not reach a host that is going away.
    m_router->setHost(nullptr);
    // A page closed while it loads reports the end of that load, and answers the scripts it was
    // running, as the engine takes it apart in the base class's destructor: this part of it, the
    // gate included, is gone by then.
    *m_alive = false;
    blockSignals(true);
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
    m_gate.whenAnswering([step = std::move(step)](const QUrl &) { step(); });
}

void ScriptMessageWebPage::identifyDocument(const QWebEngineLoadingInfo &info)
{
    logLoading(info);
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
        return;
    const bool ok = info.status() == QWebEngineLoadingInfo::LoadSucceededStatus && !info.isErrorPage();
    qCDebug(lcWeb) << (ok ? "didfinish" : "didFail");
    const PageDocumentGate::LoadEnd end = m_gate.loadFinished(ok, info.url(), url());
    if (end == PageDocumentGate::LoadEnd::Refused)
        Q_EMIT documentRefused();
    if (end != PageDocumentGate::LoadEnd::Identifying)
        return;
    // Read in the main frame of the document that has just loaded: only it holds this id. The
    // engine answers a page closed meanwhile from the base class's destructor, when a QPointer
    // still points here but the gate is gone: the alive flag says so, and is read first, since
    // even testing the QPointer casts to a page that is no longer one.
    QPointer<ScriptMessageWebPage> self(this);
    const int navigation = m_gate.navigation();
    runJavaScript(QStringLiteral("window.%1 || ''").arg(ScriptMessageShim::kDocumentIdName), QWebEngineScript::MainWorld,
                  [self, alive = m_alive, navigation](const QVariant &id) {
                      if (!*alive || !self)
                          return;
                      self->m_gate.documentIdentified(navigation, id.toString());
                      if (navigation == self->m_gate.navigation() && !self->m_gate.isAnswering())
                          Q_EMIT self->documentRefused();
                  });
}

// A user's report of a page that did not show starts from these lines. An address from the web
// may carry a token or an order in its query: only its scheme, host and path are written.
QString ScriptMessageWebPage::loggedAddress(const QUrl &url)
{
    if (url.isLocalFile())
        return url.toLocalFile();
    return url.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveQuery | QUrl::RemoveFragment).toString();
}

void ScriptMessageWebPage::logLoading(const QWebEngineLoadingInfo &info)
{
    const QString address = loggedAddress(info.url());
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus:
        OSTREL_LOG(Logger::Info, QStringLiteral("page load started: %1").arg(address));
        return;
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        if (!info.isErrorPage()) {
            OSTREL_LOG(Logger::Info, QStringLiteral("page load finished: %1").arg(address));
            return;
        }
        break;
    case QWebEngineLoadingInfo::LoadStoppedStatus:
        OSTREL_LOG(Logger::Info, QStringLiteral("page load stopped: %1").arg(address));
        return;
    case QWebEngineLoadingInfo::LoadFailedStatus:
        break;
    }
    webLog(QStringLiteral("page load failed: %1 (%2 %3)").arg(address).arg(info.errorCode()).arg(info.errorString()),
           Q_FUNC_INFO);
}

void ScriptMessageWebPage::logRendererEnd(RenderProcessTerminationStatus status, int exitCode)
{
    static const char *const kStatus[] = {"normally", "abnormally", "by a crash", "killed"};
    const int index = int(status);
    webLog(QStringLiteral("the page's renderer ended %1 (exit code %2): %3")
               .arg(QLatin1String(index >= 0 && index < 4 ? kStatus[index] : "for an unknown reason"))
               .arg(exitCode)
               .arg(loggedAddress(url())),
           Q_FUNC_INFO);
}

void ScriptMessageWebPage::installBridgeScript()
{
    QWebEngineScript script;
    script.setName(kBridgeScriptName);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    // The page sends its signed requests to the service itself; its bridge holds them to the
    // bounds of the client's own requests.
    const ScriptMessageShim::RequestBounds bounds{OONetWork::MaxResponseBytes, OONetWork::shared().requestDeadlineMs()};
    script.setSourceCode(webChannelSource() + QLatin1Char('\n') + ScriptMessageShim::source(m_router->registeredNames(), bounds));
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
    const PageNavigationPolicy::Cause cause = causeOf(type);
    if (cause == PageNavigationPolicy::Cause::LinkClicked && isMainFrame && m_linkPolicy)
        return m_linkPolicy(url);
    const PageNavigationPolicy::Decision decision = m_kind == ScriptMessageRouter::HostKind::Popup
        ? PageNavigationPolicy::decideForNotice(url, cause, isMainFrame, this->url())
        : PageNavigationPolicy::decide(url, cause, isMainFrame);
    switch (decision) {
    case PageNavigationPolicy::Decision::Refuse:
        webLog(QStringLiteral("navigation of the main frame to %1 refused: not a page of ours").arg(url.scheme()),
               Q_FUNC_INFO);
        return false;
    case PageNavigationPolicy::Decision::FollowLink:
        m_router->openWebURL(url);
        return false;
    case PageNavigationPolicy::Decision::Close:
        webLog(QStringLiteral("the page left its document (%1); refused").arg(url.scheme()), Q_FUNC_INFO);
        Q_EMIT leftDocument();
        return false;
    case PageNavigationPolicy::Decision::Allow:
        break;
    }
    if (!decided && !QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame))
        return false;
    if (isMainFrame)
        m_gate.navigationStarted(url);
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
