#pragma once

#include <QWidget>

// Nothing in the client creates this yet; it is kept for whoever finishes this upgrade prompt.
// An upgrade prompt that was never finished: its parts are never built and its actions do
// nothing. Kept so that the name exists for whoever finishes it.
class NBUpgradeView : public QWidget
{
    Q_OBJECT
public:
    explicit NBUpgradeView(QWidget *parent = nullptr);

    QWidget *control() const { return nullptr; }
    QWidget *contentView() const { return nullptr; }
    QWidget *iconImageView() const { return nullptr; }
    QWidget *switchLable() const { return nullptr; }
    QWidget *deleteButton() const { return nullptr; }
    QWidget *upgradeButton() const { return nullptr; }

    void dismissAnimation();
    void upgradeAction();
};
