#include "web/OOPopupWebView.h"

#include "web/DesktopLinkOpener.h"
#include "web/OOPopupWebProtocol.h"
#include "web/PopupUpgradeWindowHook.h"
#include "web/ScriptMessageWebPage.h"
#include "web/WebViewRepaintWatch.h"
#include "webcore/OOWebCommon.h"
#include "webcore/WebLog.h"

OOPopupWebView::OOPopupWebView(const QRect &frame, const QString &jsonText, QWidget *parent)
    : QWebEngineView(parent)
    , jsNamespace(OOWebCommon::kNamespace)
    , json(jsonText)
{
    setGeometry(frame);
    setAttribute(Qt::WA_TranslucentBackground);
    setStyleSheet(QStringLiteral("background: transparent"));
    registerScriptHandlers();
    injectInitialData();
}

OOPopupWebView::~OOPopupWebView()
{
    if (m_page)
        m_page->router()->setHost(nullptr);
    qCDebug(lcWeb) << "deinit";
}

void OOPopupWebView::registerScriptHandlers()
{
    m_page = new ScriptMessageWebPage(ScriptMessageRouter::HostKind::Popup, this, this);
    // A clicked link leaves the notice for its destination and closes it: followed in place, a
    // remote page would take over the popup, which then has no way to close. (In-app links come
    // through the page script with their text intact; this sees what is left.)
    QPointer<OOPopupWebView> self(this);
    m_page->setLinkPolicy([self](const QUrl &url) {
        if (!self)
            return false;
        self->m_page->router()->openWebURL(url.toString(QUrl::FullyEncoded));
        self->closeAfterNavigation();
        return false;
    });
    // The popup covers the whole window and its only close control is the page's own: a page
    // that did not load as a local page (missing, broken, from elsewhere) would leave the window
    // unusable, so the popup goes away, as if closed.
    connect(m_page, &ScriptMessageWebPage::documentRefused, this, [self] {
        if (!self)
            return;
        webLog(QStringLiteral("notice page did not load as a local page; the popup closes"), Q_FUNC_INFO);
        self->closePage();
    });
    // Nor may it stay when its page sends itself elsewhere: the navigation is refused, and the
    // popup would be left over the window with nothing to close it by.
    connect(m_page, &ScriptMessageWebPage::leftDocument, this, &OOPopupWebView::closeAfterNavigation);
    setPage(m_page);
    WebViewRepaintWatch::attach(this);
}

void OOPopupWebView::injectInitialData()
{
    if (json.isEmpty())
        return;
    const std::optional<QString> script = OOWebCommon::initialDataScriptFromText(json);
    if (!script) {
        webLog(QStringLiteral("notice data is not a JSON object or array; the page gets none"), Q_FUNC_INFO);
        return;
    }
    m_page->setInitialDataScript(*script);
}

void OOPopupWebView::setDelegate(OOPopupWebProtocol *delegate)
{
    m_delegate = delegate;
    m_delegateObject = dynamic_cast<QObject *>(delegate);
    m_delegateIsObject = m_delegateObject != nullptr;
}

OOPopupWebProtocol *OOPopupWebView::delegate() const
{
    if (m_delegateIsObject && !m_delegateObject)
        return nullptr;
    return m_delegate;
}

void OOPopupWebView::closePage()
{
    if (m_closed)
        return;
    m_closed = true;
    hide();
    setParent(nullptr);
    // Nothing the page still has queued reaches us after this.
    m_page->router()->setHost(nullptr);
    QPointer<OOPopupWebView> self(this);
    if (closeBlock)
        closeBlock();
    if (self)
        deleteLater();
}

void OOPopupWebView::closeAfterNavigation()
{
    // Asked from inside the engine's navigation decision: the view is taken apart in a later turn,
    // once the engine is done with it.
    QMetaObject::invokeMethod(this, &OOPopupWebView::closePage, Qt::QueuedConnection);
}

void OOPopupWebView::handleJumpAction(const QString &destination)
{
    if (OOPopupWebProtocol *target = delegate())
        target->handleJumpAction(destination);
}

void OOPopupWebView::openExternalUrl(const QUrl &url)
{
    DesktopLinkOpener::open(url);
}

void OOPopupWebView::openUpgradeWindow(const QUrl &installerUrl, const QString &version)
{
    PopupUpgradeWindowHook::open(installerUrl, version);
}
