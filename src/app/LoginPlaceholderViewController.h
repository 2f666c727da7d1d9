#pragma once

#include "uikit/NBBaseViewController.h"

// Stands for the sign-in screen until it exists: says so, and leads back to the guide.
class LoginPlaceholderViewController : public NBBaseViewController
{
    Q_OBJECT
public:
    explicit LoginPlaceholderViewController(QWidget *parent = nullptr);
    void viewDidLoad() override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
