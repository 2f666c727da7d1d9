#pragma once

#include "app/uikit/NBBaseViewController.h"

class HomeWidget;

// Puts the current home widget into the split view's home slot until the home screen proper
// takes the slot over.
class HomeWidgetViewController : public NBBaseViewController
{
    Q_OBJECT
public:
    explicit HomeWidgetViewController(QWidget *parent = nullptr);
    void viewDidLoad() override;
    HomeWidget *home() const { return m_home; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    HomeWidget *m_home = nullptr;
};
