#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The empty state of the message centre and of the feedback list: an icon, a tip and an
// optional button ("反馈问题") that asks the nearest screen to open the feedback form.
class NBMessageDefaultView : public QWidget
{
    Q_OBJECT

public:
    explicit NBMessageDefaultView(QWidget *parent = nullptr);

    QWidget *placeView() const { return m_placeView; }
    QLabel *iconImgView() const { return m_iconImgView; }
    QLabel *tipLab() const { return m_tipLab; }
    QPushButton *confirmBtn() const { return m_confirmBtn; }

    void setIconName(const QString &name);
    void confirmAction();

    // Lays a fresh empty state over `frame` of `screen`, on top, in place of any it had: the
    // "message_no_data" icon, `tip`, and the "反馈问题" button when `withButton`.
    static NBMessageDefaultView *showOn(QWidget *screen, const QRect &frame, const QString &tip, bool withButton);
    // Takes `screen`'s empty state away, if it has one.
    static void removeFrom(QWidget *screen);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *m_placeView = nullptr;
    QLabel *m_iconImgView = nullptr;
    QLabel *m_tipLab = nullptr;
    QPushButton *m_confirmBtn = nullptr;
};
