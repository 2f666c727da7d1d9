#pragma once

#include "web/NBBaseWebViewController.h"

// The download page ("mac-tamsine-download"): where to get the client again, opened from the
// more page. Loaded once, when its view is built.
class NBRetrieveViewController : public NBBaseWebViewController
{
    Q_OBJECT
public:
    explicit NBRetrieveViewController(QWidget *parent = nullptr);

    void viewDidLoad() override;
    void loadPage() override;
};
