#include "settings/pages/NBDiscoverViewController.h"

#include "uikit/NBControllerView.h"

const QString NBDiscoverViewController::kPageName = QStringLiteral("recommendPage");

NBDiscoverViewController::NBDiscoverViewController(QWidget *parent)
    : NBBaseWebViewController(parent)
{
    resize(NBControllerView::contentSize());
}

void NBDiscoverViewController::viewDidLoad()
{
    NBBaseWebViewController::viewDidLoad();
    webView();
    loadPage();
}

void NBDiscoverViewController::loadPage()
{
    loadLocalPage(kPageName);
}
