#include "web/NBUpgradeViewController.h"

#include "uikit/NBControllerView.h"
#include "web/ScriptMessageWebPage.h"
#include "webcore/OOPageLoader.h"
#include "webcore/OOWebCommon.h"

NBUpgradeViewController::NBUpgradeViewController(QWidget *parent)
    : NBBaseWebViewController(parent)
{
    resize(NBControllerView::contentSize());
}

void NBUpgradeViewController::viewDidLoad()
{
    NBBaseWebViewController::viewDidLoad();
    webView();
}

void NBUpgradeViewController::viewWillAppear()
{
    NBBaseWebViewController::viewWillAppear();
    loadPage();
}

void NBUpgradeViewController::loadPage()
{
    loadLocalPage(OOPageLoader::kPurchasePage);
}

void NBUpgradeViewController::injectInitialData()
{
    // Set before the load, replacing the one of an earlier appearance, so the page sees it once
    // and from its first script on.
    page()->setInitialDataScript(json ? OOWebCommon::initialDataScript(*json) : QString());
}
