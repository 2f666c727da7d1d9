#pragma once

#include <QColor>
#include <QWidget>

// A plain view with a filled, rounded background: what a layer-backed view with a background
// colour and a corner radius is in the screens' vocabulary (content panels, toast bodies, boxes).
class RoundedPanel : public QWidget
{
    Q_OBJECT
public:
    explicit RoundedPanel(const QColor &colour = Qt::transparent, qreal radius = 0, QWidget *parent = nullptr);

    QColor backgroundColor() const { return m_colour; }
    void setBackgroundColor(const QColor &colour);
    qreal cornerRadius() const { return m_radius; }
    void setCornerRadius(qreal radius);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_colour;
    qreal m_radius = 0;
};
