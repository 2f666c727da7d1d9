#pragma once

#include <functional>

#include "settings/more/NBMineItemView.h"

class QPushButton;

// A more-page row with an image switch in place of the arrow. The row keeps no type of its own,
// so a press beside the switch reaches the page with none and opens nothing.
class NBMineSwitchItemView : public NBMineItemView
{
    Q_OBJECT
public:
    explicit NBMineSwitchItemView(QWidget *parent = nullptr);

    std::function<void(bool)> switchBlock;

    QPushButton *switchView() const { return m_switchView; }
    bool isOn() const;
    void configure(const NBMineModel &model) override;
    // Puts the switch at a stored position without calling the block.
    void setOn(bool on);
    void switchAction();

protected:
    void resizeEvent(QResizeEvent *event) override;
    int subTitleTrailingInset() const override { return 25 + 44 + 20; }

private:
    void showState();

    QPushButton *m_switchView = nullptr;
};
