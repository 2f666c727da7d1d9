#pragma once

#include <QColor>
#include <QList>
#include <QPushButton>

// A drawn button with four looks (normal, hover, pressed, disabled): a rounded gradient
// (isGradient) or a filled, stroked rounded rectangle, and a centred title in the state's colour.
// A state without its own colour or gradient uses the normal one. Disabled, it ignores the mouse;
// enabling it redraws it at once.
class LMGradientTitleButton : public QPushButton
{
    Q_OBJECT
public:
    enum class State { Normal, Hover, Down, Disabled };

    explicit LMGradientTitleButton(const QString &title = {}, QWidget *parent = nullptr);

    State state() const;

    bool isGradient() const { return m_isGradient; }
    void setIsGradient(bool on) { m_isGradient = on; update(); }
    // Stored for callers; the look is chosen by isGradient alone.
    bool isBorder() const { return m_isBorder; }
    void setIsBorder(bool on) { m_isBorder = on; }
    float radius() const { return m_radius; }
    void setRadius(float radius) { m_radius = radius; update(); }
    float lineWidth() const { return m_lineWidth; }
    void setLineWidth(float width) { m_lineWidth = width; update(); }
    float angle() const { return m_angle; }
    void setAngle(float angle) { m_angle = angle; update(); }

    QColor titleNormalColor, titleHoverColor, titleDownColor, titleDisableColor;
    QColor normalColor, hoverColor, downColor, disableColor, fillColor;
    QList<QColor> normalColorArray, hoverColorArray, downColorArray, disableColorArray;

    QColor titleColorFor(State state) const;
    QColor plainColorFor(State state) const;
    QList<QColor> gradientFor(State state) const;

protected:
    // The defaults of the family (green gradient, grey titles).
    virtual void setDefault();

    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_mouseEnter = false;
    bool m_isGradient = true;
    bool m_isBorder = true;
    float m_radius = 2;
    float m_lineWidth = 1;
    float m_angle = 0;
};
