#include "settings/pages/NBFreeViewController.h"

#include "uikit/NBControllerView.h"

const QString NBFreeViewController::kPageName = QStringLiteral("lotteryPage");

NBFreeViewController::NBFreeViewController(QWidget *parent)
    : NBBaseWebViewController(parent)
{
    resize(NBControllerView::contentSize());
}

void NBFreeViewController::viewDidLoad()
{
    NBBaseWebViewController::viewDidLoad();
    webView();
    loadPage();
}

void NBFreeViewController::loadPage()
{
    loadLocalPage(kPageName);
}
