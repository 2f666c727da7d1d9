#include "web/NBRetrieveViewController.h"

#include "app/uikit/NBControllerView.h"
#include "web/core/OOPageLoader.h"

NBRetrieveViewController::NBRetrieveViewController(QWidget *parent)
    : NBBaseWebViewController(parent)
{
    resize(NBControllerView::contentSize());
}

void NBRetrieveViewController::viewDidLoad()
{
    NBBaseWebViewController::viewDidLoad();
    webView();
    loadPage();
}

void NBRetrieveViewController::loadPage()
{
    loadLocalPage(OOPageLoader::kDownloadPage);
}
