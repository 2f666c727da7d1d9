#pragma once

#include <QPointer>
#include <QUrl>

#include "uikit/NBBaseViewController.h"
#include "webcore/ScriptMessageHost.h"

class QWebEngineView;
class ScriptMessageWebPage;
class WebPageFailureView;

// Base of every full-screen local page (purchase, download, ...): one web view whose page talks
// to native code through the script messages of a page controller, and the native side of the
// page buttons: closing, "marlet" links to the main window's tabs, links to the desktop's
// browser, saving images. Subclasses name their page and load it (loadPage).
class NBBaseWebViewController : public NBBaseViewController, public ScriptMessageHost
{
    Q_OBJECT
public:
    explicit NBBaseWebViewController(QWidget *parent = nullptr);
    ~NBBaseWebViewController() override;

    // Made on first use with the view's bounds; the view is loaded first.
    QWebEngineView *webView();
    ScriptMessageWebPage *page();

    // Empty here; each page loads its own package.
    virtual void loadPage() {}

    // ScriptMessageHost
    void closePage() override;
    void switchMainWindowTab(int index) override;
    void openExternalUrl(const QUrl &url) override;
    void saveImage(const QByteArray &imageBytes) override;

    // The file the last saved image went to (empty when none was written).
    QString lastSavedImage() const { return m_lastSavedImage; }

Q_SIGNALS:
    // The page's entry file has been handed to the web view (or could not be unpacked: empty).
    void pageLoadStarted(const QString &entryFile);

protected:
    void resizeEvent(QResizeEvent *event) override;
    // Unpacks the package of that name and shows its index.html; pageWillLoad() runs just
    // before, so its scripts are in place for that document.
    void loadLocalPage(const QString &name);
    virtual void pageWillLoad() {}
    virtual void registerScriptHandlers(ScriptMessageWebPage *page);

private:
    void watchPageEnds();
    void showPageFailure();
    void hidePageFailure();

    QPointer<QWebEngineView> m_webView;
    ScriptMessageWebPage *m_page = nullptr;
    // The entry file last handed to the view: its failure is the page's.
    QUrl m_entryUrl;
    WebPageFailureView *m_failure = nullptr;
    QString m_lastSavedImage;
};
