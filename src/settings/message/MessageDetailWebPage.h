#pragma once

#include <QPointer>
#include <QWebEnginePage>

// The page a message is shown in. It runs no script and opens no window; a clicked link never
// navigates the page but is handed to linkClicked (the message's own links, new-window links
// and "marlet" links included). Besides the message's own HTML nothing is loaded: a body that
// refreshes or submits itself elsewhere is refused, and nothing reaches the desktop past the
// router.
class MessageDetailWebPage : public QWebEnginePage
{
    Q_OBJECT
public:
    explicit MessageDetailWebPage(QObject *parent = nullptr);

Q_SIGNALS:
    void linkClicked(const QUrl &url);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    // A link meant for a new window: a throw-away page that hands its first address to
    // linkClicked and goes away.
    QWebEnginePage *createWindow(WebWindowType type) override;

private:
    // A throw-away page for a new window, and the page its first address goes to.
    bool m_catcher = false;
    QPointer<MessageDetailWebPage> m_catchFor;
};
