#include "login/signin/NBSwitchView.h"

#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

#include "uikit/NSFontHelper.h"
#include "common/Localization.h"

NBSwitchView::NBSwitchView(QWidget *parent)
    : QWidget(parent)
{
    m_firstSideButton = makeSegment(1, localizedByAppLanguage(QStringLiteral("LOGIN_EMAIL_SWITCH_TITLE")), 14);
    m_secondSideButton = makeSegment(2, localizedByAppLanguage(QStringLiteral("LOGIN_PHONE_SWITCH_TITLE")), 13);
    // The first segment looks selected from the start, before anyone is told.
    setSelectedLook(m_firstSideButton, true);
    m_selectedButton = m_firstSideButton;
}

QPushButton *NBSwitchView::makeSegment(int tag, const QString &title, int fontSize)
{
    auto *button = new QPushButton(title, this);
    button->setProperty("tag", tag);
    button->setFont(NSFontHelper::getRegularPingFangFont(fontSize));
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    setSelectedLook(button, false);
    connect(button, &QPushButton::clicked, this, [this, tag] { selectButton(tag); });
    return button;
}

void NBSwitchView::setSelectedLook(QPushButton *button, bool selected)
{
    button->setStyleSheet(QStringLiteral("QPushButton { color: white; border: none; border-radius: 18px; background: %1; }")
                              .arg(selected ? QStringLiteral("rgb(70, 68, 73)") : QStringLiteral("transparent")));
}

void NBSwitchView::setTitles(const QString &first, const QString &second)
{
    m_firstSideButton->setText(first);
    m_secondSideButton->setText(second);
}

void NBSwitchView::selectButton(int tag)
{
    QPushButton *found = tag == 1 ? m_firstSideButton : tag == 2 ? m_secondSideButton : nullptr;
    if (!found)
        return;
    if (m_selectedButton)
        setSelectedLook(m_selectedButton, false);
    setSelectedLook(found, true);
    m_selectedButton = found;
    if (switchBlock)
        switchBlock(tag);
}

void NBSwitchView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 25, 25);
    painter.fillPath(path, QColor(53, 51, 55));
}

void NBSwitchView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int centre = width() / 2;
    m_firstSideButton->setGeometry(9, 6, qMax(0, centre - 3 - 9), qMax(0, height() - 12));
    m_secondSideButton->setGeometry(centre + 3, 6, qMax(0, width() - 9 - centre - 3), qMax(0, height() - 12));
}
