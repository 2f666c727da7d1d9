#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// Laid over a QR code that is no longer valid: "二维码已失效" and the red "点击刷新" button,
// which asks the panel for a new code.
class NBQRCodeExpireView : public QWidget
{
    Q_OBJECT
public:
    explicit NBQRCodeExpireView(QWidget *parent = nullptr);

    QPushButton *refreshBtn() const { return m_refreshBtn; }
    QLabel *tipLab() const { return m_tipLab; }
    // The dark plate under the text.
    QRect plateRect() const;

    static constexpr int kPlatePadding = 12;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QPushButton *m_refreshBtn = nullptr;
    QLabel *m_tipLab = nullptr;
};
