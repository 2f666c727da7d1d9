#pragma once

#include <QWidget>

#include <functional>

class QLabel;

// The connect button of the paused look (56 x 84): the power picture over its caption.
class NBConnectView : public QWidget
{
    Q_OBJECT
public:
    explicit NBConnectView(QWidget *parent = nullptr);

    std::function<void()> clickAction;

    QLabel *imageView() const { return m_imageView; }
    QLabel *tipLab() const { return m_tipLab; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_imageView = nullptr;
    QLabel *m_tipLab = nullptr;
    bool m_pressed = false;
};
