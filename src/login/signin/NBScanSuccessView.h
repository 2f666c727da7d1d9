#pragma once

#include <QWidget>

class QLabel;

// Laid over the QR code once the phone app has scanned it: black at 0.9, a phone with a tick
// and "扫码成功" in green.
class NBScanSuccessView : public QWidget
{
    Q_OBJECT
public:
    explicit NBScanSuccessView(QWidget *parent = nullptr);

    QLabel *imgView() const { return m_imgView; }
    QLabel *tipLab() const { return m_tipLab; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_imgView = nullptr;
    QLabel *m_tipLab = nullptr;
};
