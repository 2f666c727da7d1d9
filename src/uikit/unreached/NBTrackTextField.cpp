#include "uikit/unreached/NBTrackTextField.h"
#include "uikit/UiLog.h"

#include <QDebug>
#include <QEnterEvent>
#include <QMouseEvent>

NBTrackTextField::NBTrackTextField(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
}

void NBTrackTextField::enterEvent(QEnterEvent *event)
{
    QLabel::enterEvent(event);
    m_isMouseInside = true;
    qCDebug(lcUi).noquote().nospace() << "isMouseInside:" << "true";
    setCursor(Qt::PointingHandCursor);
}

void NBTrackTextField::leaveEvent(QEvent *event)
{
    QLabel::leaveEvent(event);
    m_isMouseInside = false;
    qCDebug(lcUi).noquote().nospace() << "isMouseInside:" << "false";
    setCursor(Qt::ArrowCursor);
}

void NBTrackTextField::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    Q_EMIT activated();
}
