#pragma once

#include <QPointer>
#include <QString>
#include <QUrl>

#include <optional>

#include "uikit/NBBaseViewController.h"
#include "networking/NBMessageListModel.h"


// The right-hand pane of the message centre (366 x 500 at x 363): the chosen message in the
// message template, in a web view. Links in it never navigate the pane: "marlet://linkBuy"
// opens the purchase page over the message centre, http, https and mailto links leave for the
// desktop, anything else goes nowhere.
class NBMessageDetailViewController : public NBBaseViewController
{
    Q_OBJECT
public:
    explicit NBMessageDetailViewController(QWidget *parent = nullptr);

    // Set by the message centre before loadMessage.
    std::optional<NBMessageListModel> model;

    // Made on first use (the first message shown), filling the pane: a QWebEngineView whose
    // page is a MessageDetailWebPage. Null when the web pages cannot be had.
    QWidget *webView();

    // Shows `model` in the template and posts "kRefreshMessageData". Fields the message lacks
    // show empty, so the pane never keeps another message under this one. Without a model or
    // a template nothing changes and nothing is posted.
    void loadMessage();
    // The page the last loadMessage handed to the web view (empty before the first).
    QString loadedHtml() const { return m_loadedHtml; }

    // What a clicked link does (the web page hands every clicked link here).
    void routeLink(const QUrl &url);

Q_SIGNALS:
    // The purchase page was put over the message centre for a "linkBuy" link.
    void purchasePagePresented(NBBaseViewController *purchase);

protected:
    void viewDidLoad() override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void setupView();
    void presentPurchasePage();

    QPointer<QWidget> m_webView;
    QString m_loadedHtml;
};
