#pragma once

#include "uikit/NBBaseView.h"

#include <functional>

class NBDisableButton;
class QLabel;

// The one confirmation dialog: a 330 px dark panel centred over the window's content with a
// title, an optional line of explanation and two buttons, cancel on the left, confirm on the
// right. Either button runs its block and then closes the alert; presses around the panel do
// nothing. Callers set the texts and blocks, then NBBaseView::show.
//
// The block may replace the window's content (sign-out, back to the guide), which deletes the
// alert with it; the alert then does not touch itself again.
class NBAlertView : public NBBaseView
{
    Q_OBJECT
public:
    static constexpr int kPanelWidth = 330;

    explicit NBAlertView(QWidget *parent = nullptr);

    std::function<void()> cancelBlock;
    std::function<void()> confirmBlock;

    QLabel *titleLabel();
    QLabel *tipsLabel();
    NBDisableButton *cancleButton();
    NBDisableButton *confirmButton();

    void cancelAction();
    void confirmAction();

    // 18 + title + 10 + tips + 15 + 40 + 13.
    int panelHeight() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void layoutPanel();
    int textHeight(const QLabel *label, int width) const;
    void runAndClose(const std::function<void()> &block);

    QLabel *m_titleLabel = nullptr;
    QLabel *m_tipsLabel = nullptr;
    NBDisableButton *m_cancleButton = nullptr;
    NBDisableButton *m_confirmButton = nullptr;
};
