#include "web/NBBaseWebViewController.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QStandardPaths>
#include <QUuid>
#include <QWebEngineLoadingInfo>
#include <QWebEngineView>

#include "app/NBLeftSideViewController.h"
#include "app/NBMainSplitViewController.h"
#include "uikit/OOToastView.h"
#include "web/DesktopLinkOpener.h"
#include "web/ScriptMessageWebPage.h"
#include "web/WebPageFailureView.h"
#include "web/WebViewRepaintWatch.h"
#include "webcore/OOPageLoader.h"
#include "webcore/WebLog.h"

namespace {

QString picturesFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return folder.isEmpty() ? QDir::homePath() + QStringLiteral("/Pictures") : folder;
}

} // namespace

NBBaseWebViewController::NBBaseWebViewController(QWidget *parent)
    : NBBaseViewController(parent)
{
}

NBBaseWebViewController::~NBBaseWebViewController()
{
    // The page outlives nothing of ours, but a message it delivers while the view tears down must
    // not reach a half-destroyed host.
    if (m_page)
        m_page->router()->setHost(nullptr);
}

QWebEngineView *NBBaseWebViewController::webView()
{
    if (m_webView)
        return m_webView;
    ensureLoaded();
    // Loading the screen (its viewDidLoad) may have made the view already.
    if (m_webView)
        return m_webView;
    auto *view = new QWebEngineView(this);
    m_page = new ScriptMessageWebPage(ScriptMessageRouter::HostKind::PageController, this, view);
    registerScriptHandlers(m_page);
    view->setPage(m_page);
    WebViewRepaintWatch::attach(view);
    view->setGeometry(rect());
    view->setAttribute(Qt::WA_TranslucentBackground);
    view->setStyleSheet(QStringLiteral("background: transparent"));
    // A child made after its screen is on screen stays hidden unless shown: the page would load
    // and never be painted.
    view->show();
    m_webView = view;
    watchPageEnds();
    return view;
}

ScriptMessageWebPage *NBBaseWebViewController::page()
{
    webView();
    return m_page;
}

void NBBaseWebViewController::registerScriptHandlers(ScriptMessageWebPage *page)
{
    // The page controller's sixteen names come with the page; nothing is added here.
    Q_UNUSED(page)
}

void NBBaseWebViewController::resizeEvent(QResizeEvent *event)
{
    NBBaseViewController::resizeEvent(event);
    if (m_webView)
        m_webView->setGeometry(rect());
    if (m_failure)
        m_failure->setGeometry(rect());
}

void NBBaseWebViewController::watchPageEnds()
{
    // The entry we asked for failed, or the renderer that drew the page ended: the page cannot
    // show, and the screen says so rather than leaving an empty area (a page that goes on to
    // another address is its own business).
    connect(m_page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        if (info.url() != m_entryUrl)
            return;
        if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus && !info.isErrorPage())
            hidePageFailure();
        else if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus || info.isErrorPage())
            showPageFailure();
    });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                if (status != QWebEnginePage::NormalTerminationStatus)
                    showPageFailure();
            });
}

void NBBaseWebViewController::showPageFailure()
{
    if (!m_failure) {
        m_failure = new WebPageFailureView(this);
        connect(m_failure, &WebPageFailureView::closeClicked, this, &NBBaseWebViewController::closePage);
    }
    // Only a page presented over another screen can be closed from here.
    m_failure->setClosable(presentingViewController() != nullptr);
    m_failure->setGeometry(rect());
    m_failure->raise();
    m_failure->show();
    // A page drawn over the window would cover the message.
    if (m_webView)
        m_webView->hide();
}

void NBBaseWebViewController::hidePageFailure()
{
    if (!m_failure || m_failure->isHidden())
        return;
    m_failure->hide();
    if (m_webView)
        m_webView->show();
}

void NBBaseWebViewController::loadLocalPage(const QString &name)
{
    QPointer<NBBaseWebViewController> self(this);
    OOPageLoader::loadPage(name, this, [self, name](std::optional<QString> entry) {
        if (!self)
            return;
        if (!entry) {
            // Nothing to show; an older page folder is not shown either.
            webLog(QStringLiteral("page %1 could not be unpacked; nothing to show").arg(name), Q_FUNC_INFO);
            self->showPageFailure();
            Q_EMIT self->pageLoadStarted(QString());
            return;
        }
        self->pageWillLoad();
        self->m_entryUrl = QUrl::fromLocalFile(*entry);
        self->page()->load(self->m_entryUrl);
        Q_EMIT self->pageLoadStarted(*entry);
    });
}

void NBBaseWebViewController::closePage()
{
    // An embedded page (the purchase page in the split view) was presented by nobody: nothing.
    dismissController();
}

void NBBaseWebViewController::switchMainWindowTab(int index)
{
    NBMainSplitViewController *split = NBMainSplitViewController::current();
    if (!split || split->window() != window())
        return;
    NBLeftSideViewController *menu = split->leftSide();
    const auto type = leftMenuTypeFromRaw(index);
    if (!menu || !type)
        return;
    menu->ensureLoaded();
    if (*type == NBLeftMenuType::account)
        menu->selectItem(menu->accountItem());
    else if (*type == NBLeftMenuType::upgrade)
        menu->selectItem(menu->upgradeItem());
    else
        return;
    split->switchContent(*type);
}

void NBBaseWebViewController::openExternalUrl(const QUrl &url)
{
    DesktopLinkOpener::open(url);
}

void NBBaseWebViewController::saveImage(const QByteArray &imageBytes)
{
    QImage image;
    if (!image.loadFromData(imageBytes) || image.isNull())
        return;
    const QString folder = picturesFolder();
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper()
        + QStringLiteral(".jpeg");
    QImageWriter writer(path, "jpeg");
    writer.setQuality(100);
    const QColor background(16, 17, 27);
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32))) {
        const QString error = writer.errorString();
        webLog(QStringLiteral("image not saved: %1").arg(error), Q_FUNC_INFO);
        QFile::remove(path);
        showToast(this, error, QString(), background, Qt::white);
        return;
    }
    m_lastSavedImage = path;
    showToast(this, QStringLiteral("保存成功"), QString(), background, Qt::white);
}
