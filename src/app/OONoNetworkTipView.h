#pragma once

#include <QWidget>

class QLabel;
class RoundedPanel;

// The red warning line of the no-network popup: an icon and the failure text.
class OONoNetworkTipView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kLabelInset = 15 + 14 + 15; // icon margin, icon, gap
    explicit OONoNetworkTipView(QWidget *parent = nullptr);

    QLabel *tipLab() const { return m_tipLab; }
    // The height the tip needs at that width: the text measured at its label's real width.
    int heightForWidth(int width) const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    RoundedPanel *m_cornerView = nullptr;
    QLabel *m_iconImgView = nullptr;
    QLabel *m_tipLab = nullptr;
};
