#pragma once

#include "web/NBBaseWebViewController.h"

// The discovery page ("recommendPage"): recommended sites, opened from the more page's "发现"
// row.
// Created anew by each opener and loaded once, when its view is built; everything else
// (messages, buttons, links) is the base's.
class NBDiscoverViewController : public NBBaseWebViewController
{
    Q_OBJECT
public:
    static const QString kPageName;   // "recommendPage"

    explicit NBDiscoverViewController(QWidget *parent = nullptr);

    void viewDidLoad() override;
    void loadPage() override;
};
