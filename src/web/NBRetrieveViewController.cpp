#include "web/NBRetrieveViewController.h"

#include "uikit/NBControllerView.h"
#include "webcore/OOPageLoader.h"

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
