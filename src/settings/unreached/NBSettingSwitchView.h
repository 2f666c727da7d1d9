#pragma once

#include <QWidget>

#include <functional>

class QPushButton;

// Nothing in the client creates this yet (the gallery does); kept as the switch-account row.
// The account list's last row: one full-width button (15 in from each side, 40 high, at the
// bottom of a 77-high clear panel) that asks to switch the account. Presses on the row beside the
// button select nothing.
class NBSettingSwitchView : public QWidget
{
    Q_OBJECT
public:
    explicit NBSettingSwitchView(QWidget *parent = nullptr);

    std::function<void()> switchAccountBlock;

    QWidget *contentView() const { return m_contentView; }
    QPushButton *accountButton() const { return m_accountButton; }

    // The button's action.
    void switchAction();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void layoutParts();

    QWidget *m_contentView = nullptr;
    QPushButton *m_accountButton = nullptr;
};
