#pragma once

#include <QWidget>

// Nothing in the client creates this yet; it is kept as the kit's ring loading view.
// A ring on a dark square (RGB 38, 47, 56): radius 0.9 x half the width, 5 px wide, the first
// fifth of it drawn, hidden until shown. Kept for the screens that may use it.
class NBLoadingView : public QWidget
{
    Q_OBJECT
public:
    explicit NBLoadingView(QWidget *parent = nullptr);

    bool isRingVisible() const { return m_ringVisible; }
    void setRingVisible(bool visible);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_ringVisible = false;
};
