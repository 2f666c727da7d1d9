#pragma once

#include <QWidget>

class OOHomeCircleView;
class QLabel;
class QPushButton;
class RoundedPanel;

// The earlier connect area (no screen shows it any more): a click always asks the home screen
// above it to connect, without debounce; its line bar asks for a line change.
// The connect area the client shows is NBNewHomeContentView (src/home).
class OOHomeContentView : public QWidget
{
    Q_OBJECT
public:
    explicit OOHomeContentView(QWidget *parent = nullptr);

    bool isStart() const { return m_isStart; }
    OOHomeCircleView *circleView() const { return m_circleView; }
    RoundedPanel *lineContentView() const { return m_lineContentView; }
    QLabel *lineImgView() const { return m_lineImgView; }
    QPushButton *changeLineButton() const { return m_changeLineButton; }

    void startAction();
    void changeLineAction();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    bool m_isStart = false;
    OOHomeCircleView *m_circleView = nullptr;
    RoundedPanel *m_lineContentView = nullptr;
    QLabel *m_lineImgView = nullptr;
    QPushButton *m_changeLineButton = nullptr;
};
