#pragma once

#include "uikit/NBBaseViewController.h"

class QLabel;

// Fills a slot whose screen no layer has registered yet: a plain dark screen with its name.
class PlaceholderViewController : public NBBaseViewController
{
    Q_OBJECT
public:
    explicit PlaceholderViewController(const QString &screenName, QWidget *parent = nullptr);

    QString screenName() const { return m_screenName; }

    void viewDidLoad() override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_screenName;
};
