#pragma once

#include "app/WebViews.h"

// The pages' side of WebViews: the notice popup, the message view and the purchase page.
class WebModuleViews : public WebViews
{
public:
    QWidget *showNoticePopup(QWidget *host, const NoticePopup &popup) override;
    QWidget *makeMessageView(QWidget *parent, std::function<void(const QUrl &)> linkClicked) override;
    void showMessageHtml(QWidget *messageView, const QString &html) override;
    NBBaseViewController *makePurchasePage(const QJsonObject &json) override;
};
