#include "settings/pages/NBInviteViewController.h"

#include "uikit/NBControllerView.h"

const QString NBInviteViewController::kPageName = QStringLiteral("invitePage");

NBInviteViewController::NBInviteViewController(QWidget *parent)
    : NBBaseWebViewController(parent)
{
    resize(NBControllerView::contentSize());
}

void NBInviteViewController::viewDidLoad()
{
    NBBaseWebViewController::viewDidLoad();
    webView();
    loadPage();
}

void NBInviteViewController::loadPage()
{
    loadLocalPage(kPageName);
}
