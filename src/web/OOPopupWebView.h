#pragma once

#include <QPointer>
#include <QWebEngineView>

#include <functional>

#include "webcore/ScriptMessageHost.h"

class OOPopupWebProtocol;
class ScriptMessageWebPage;

// A local page shown as a popup over the main window (the home screen's notices). It is itself
// the web view: it answers the popup's script messages, closes itself, hands in-app destinations
// to its delegate and opens the upgrade window from an "update" button.
//
// The home screen makes it 800 x 500 over the window's content with the notice data as `json`,
// sets itself as delegate and a close block, and loads the notice page into it.
class OOPopupWebView : public QWebEngineView, public ScriptMessageHost
{
    Q_OBJECT
public:
    // `json` is the page's initial data as JSON text; an object or an array reaches the page as
    // window.initializeData, anything else injects nothing. Fixed at creation.
    OOPopupWebView(const QRect &frame, const QString &json, QWidget *parent = nullptr);
    ~OOPopupWebView() override;

    const QString jsNamespace;
    const QString json;
    // Runs each time the popup closes itself.
    std::function<void()> closeBlock;

    // Held weakly when the delegate is a QObject.
    void setDelegate(OOPopupWebProtocol *delegate);
    OOPopupWebProtocol *delegate() const;

    ScriptMessageWebPage *scriptPage() const { return m_page; }

    // ScriptMessageHost
    void closePage() override;
    void handleJumpAction(const QString &destination) override;
    void openExternalUrl(const QUrl &url) override;
    void openUpgradeWindow(const QUrl &installerUrl, const QString &version) override;

private:
    void registerScriptHandlers();
    void closeAfterNavigation();
    void injectInitialData();

    ScriptMessageWebPage *m_page = nullptr;
    OOPopupWebProtocol *m_delegate = nullptr;
    QPointer<QObject> m_delegateObject;
    bool m_delegateIsObject = false;
    bool m_closed = false;
};
