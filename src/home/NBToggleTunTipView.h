#pragma once

#include "uikit/OverlayWidget.h"

#include <functional>

class NBDisableButton;
class QLabel;
class RoundedPanel;

// The notice that a TUN switch made while connected takes effect on the next connection: a
// dimmed cover over the window with a small panel and one button.
class NBToggleTunTipView : public OverlayWidget
{
    Q_OBJECT
public:
    explicit NBToggleTunTipView(QWidget *parent = nullptr);

    std::function<void()> confirmBlock;

    QLabel *titleLabel() const { return m_titleLabel; }
    QLabel *tipsLabel() const { return m_tipsLabel; }
    NBDisableButton *confirmButton() const { return m_confirmButton; }
    RoundedPanel *contentView() const { return m_contentView; }

    void confirmAction();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    RoundedPanel *m_contentView = nullptr;
    QLabel *m_titleLabel = nullptr;
    QLabel *m_tipsLabel = nullptr;
    NBDisableButton *m_confirmButton = nullptr;
};
