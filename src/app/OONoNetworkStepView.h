#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class RoundedPanel;

// One numbered troubleshooting step of the no-network popup. A press runs tapAction (when set)
// and goes no further, so it never closes the popup.
class OONoNetworkStepView : public QWidget
{
    Q_OBJECT
public:
    explicit OONoNetworkStepView(QWidget *parent = nullptr);

    std::function<void()> tapAction;

    QLabel *tipLab() const { return m_tipLab; }
    int heightForWidth(int width) const override;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    RoundedPanel *m_cornerView = nullptr;
    QLabel *m_tipLab = nullptr;
};
