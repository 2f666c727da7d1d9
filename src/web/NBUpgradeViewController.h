#pragma once

#include <QJsonObject>

#include <optional>

#include "web/NBBaseWebViewController.h"

// The purchase page ("buypage"): the content of the left menu's membership item, and what a
// message's "linkBuy" link opens. Loaded again each time it is about to appear, so a package the
// update installed meanwhile shows. An opener may hand the page initial data (`json`), which it
// reads as window.initializeData.
class NBUpgradeViewController : public NBBaseWebViewController
{
    Q_OBJECT
public:
    explicit NBUpgradeViewController(QWidget *parent = nullptr);

    std::optional<QJsonObject> json;

    void viewDidLoad() override;
    void viewWillAppear() override;
    void loadPage() override;

    // "window.initializeData = ..." for the next load when `json` is set; nothing otherwise.
    virtual void injectInitialData();

protected:
    void pageWillLoad() override { injectInitialData(); }
};
