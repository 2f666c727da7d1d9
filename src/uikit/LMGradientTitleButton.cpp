#include "uikit/LMGradientTitleButton.h"

#include "uikit/ColorHelpers.h"

#include <QEnterEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {
QColor hex(quint32 value)
{
    return ColorHelpers::colorWithHex(value);
}

// The value set for the state; the normal one where the state has none of its own.
template <typename Value, typename IsSet>
Value forState(LMGradientTitleButton::State state, const Value &normal, const Value &hover, const Value &down,
               const Value &disabled, IsSet isSet)
{
    using State = LMGradientTitleButton::State;
    const Value &chosen = state == State::Hover ? hover
        : state == State::Down                  ? down
        : state == State::Disabled              ? disabled
                                                : normal;
    return isSet(chosen) ? chosen : normal;
}

bool colourSet(const QColor &colour)
{
    return colour.isValid();
}
} // namespace

LMGradientTitleButton::LMGradientTitleButton(const QString &title, QWidget *parent)
    : QPushButton(title, parent)
{
    setFlat(true);
    setFocusPolicy(Qt::NoFocus);
    LMGradientTitleButton::setDefault();
}

void LMGradientTitleButton::setDefault()
{
    m_isGradient = true;
    m_isBorder = true;
    m_radius = 2;
    m_lineWidth = 1;
    titleNormalColor = hex(0x94979B);
    titleHoverColor = hex(0xAFAFAF);
    titleDownColor = hex(0x7E7E7E);
    titleDisableColor = hex(0x7E7E7E);
    normalColor = hex(0xE5E5E5);
    hoverColor = hex(0xF3F3F3);
    downColor = hex(0xD4D4D4);
    disableColor = hex(0x858585);
    fillColor = Qt::white;
    normalColorArray = {hex(0x64DFA7), hex(0x00D899)};
    hoverColorArray = {hex(0x69E8AE), hex(0x00E9A5)};
    downColorArray = {hex(0x61CE9C), hex(0x00D093)};
    disableColorArray = {hex(0xD7F7EC), hex(0xD7F7EC)};
}

LMGradientTitleButton::State LMGradientTitleButton::state() const
{
    if (!isEnabled())
        return State::Disabled;
    if (isDown())
        return State::Down;
    if (m_mouseEnter)
        return State::Hover;
    return State::Normal;
}

QColor LMGradientTitleButton::titleColorFor(State state) const
{
    return forState(state, titleNormalColor, titleHoverColor, titleDownColor, titleDisableColor, colourSet);
}

QColor LMGradientTitleButton::plainColorFor(State state) const
{
    return forState(state, normalColor, hoverColor, downColor, disableColor, colourSet);
}

QList<QColor> LMGradientTitleButton::gradientFor(State state) const
{
    return forState(state, normalColorArray, hoverColorArray, downColorArray, disableColorArray,
                    [](const QList<QColor> &colours) { return !colours.isEmpty(); });
}

void LMGradientTitleButton::enterEvent(QEnterEvent *event)
{
    QPushButton::enterEvent(event);
    if (!isEnabled())
        return;
    m_mouseEnter = true;
    update();
}

void LMGradientTitleButton::leaveEvent(QEvent *event)
{
    QPushButton::leaveEvent(event);
    m_mouseEnter = false;
    update();
}

void LMGradientTitleButton::mousePressEvent(QMouseEvent *event)
{
    if (!isEnabled())
        return;
    QPushButton::mousePressEvent(event);
    update();
}

void LMGradientTitleButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (!isEnabled())
        return;
    QPushButton::mouseReleaseEvent(event);
    update();
}

void LMGradientTitleButton::changeEvent(QEvent *event)
{
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        if (!isEnabled())
            m_mouseEnter = false;
        update();
    }
}

void LMGradientTitleButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const State current = state();
    if (m_isGradient) {
        const QList<QColor> colours = gradientFor(current);
        // The gradient runs along the angle (degrees, 0 = left to right), through the centre.
        const QPointF centre = QRectF(rect()).center();
        const qreal radians = qDegreesToRadians(qreal(m_angle));
        const QPointF half(std::cos(radians) * width() / 2.0, -std::sin(radians) * height() / 2.0);
        QLinearGradient gradient(centre - half, centre + half);
        for (int i = 0; i < colours.size(); ++i)
            gradient.setColorAt(colours.size() == 1 ? 0.0 : qreal(i) / (colours.size() - 1), colours.at(i));
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), m_radius, m_radius);
        painter.fillPath(path, gradient);
    } else {
        const qreal inset = m_lineWidth / 2.0;
        painter.setBrush(fillColor);
        painter.setPen(QPen(plainColorFor(current), m_lineWidth));
        painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), m_radius, m_radius);
    }
    painter.setFont(font());
    painter.setPen(titleColorFor(current));
    painter.drawText(rect(), Qt::AlignCenter, text());
}
