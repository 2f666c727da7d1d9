#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// What a local page's screen shows in place of a page that cannot show (its package would not
// unpack, its file did not load, its renderer ended): a plain line saying so and, on a screen
// presented over another, a button that closes it, since the page's own close button is gone.
class WebPageFailureView : public QWidget
{
    Q_OBJECT
public:
    static const QString kMessage;   // "页面加载失败，请稍后再试"
    static const QString kClose;     // "关闭"

    explicit WebPageFailureView(QWidget *parent = nullptr);

    void setClosable(bool closable);
    QLabel *messageLabel() const { return m_message; }
    QPushButton *closeButton() const { return m_close; }

Q_SIGNALS:
    void closeClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_message = nullptr;
    QPushButton *m_close = nullptr;
};
