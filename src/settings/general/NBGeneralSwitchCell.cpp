#include "settings/general/NBGeneralSwitchCell.h"

#include <QLabel>
#include <QPushButton>

#include "uikit/NSFontHelper.h"
#include "uikit/UiImages.h"
#include "uikit/PlainText.h"

namespace {
constexpr QSize kSwitchSize(37, 20);
}

NBGeneralSwitchCell::NBGeneralSwitchCell(QWidget *parent)
    : ClickableRow(parent)
{
    m_titleLab = PlainText::label(this);
    m_titleLab->setFont(NSFontHelper::getRegularPingFangFont(13));
    m_titleLab->setStyleSheet(QStringLiteral("background: transparent; color: white;"));
    m_titleLab->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_detailLab = PlainText::label(this);
    m_detailLab->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_detailLab->setWordWrap(true);
    m_detailLab->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_detailLab->setStyleSheet(QStringLiteral("background: transparent; color: rgb(88,90,93);"));
    m_detailLab->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_switchBtn = new QPushButton(this);
    m_switchBtn->setCheckable(true);
    m_switchBtn->setFlat(true);
    m_switchBtn->setFocusPolicy(Qt::NoFocus);
    m_switchBtn->setFixedSize(kSwitchSize);
    m_switchBtn->setIconSize(kSwitchSize);
    m_switchBtn->setCursor(Qt::PointingHandCursor);
    m_switchBtn->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; }"));
    connect(m_switchBtn, &QPushButton::toggled, this, &NBGeneralSwitchCell::showState);
    showState();
}

void NBGeneralSwitchCell::setOn(bool on)
{
    m_switchBtn->setChecked(on);
    showState();
}

bool NBGeneralSwitchCell::isOn() const
{
    return m_switchBtn->isChecked();
}

void NBGeneralSwitchCell::showState()
{
    m_switchBtn->setIcon(UiImages::icon(isOn() ? QStringLiteral("bt_on") : QStringLiteral("bt_off")));
}

void NBGeneralSwitchCell::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_switchBtn->move(width() - 15 - kSwitchSize.width(), 5);
    const int titleWidth = qMax(0, m_switchBtn->x() - 8 - 24);
    m_titleLab->setGeometry(24, 6, titleWidth, m_titleLab->sizeHint().height());
    const int detailTop = m_titleLab->geometry().bottom() + 1 + 12;
    m_detailLab->setGeometry(24, detailTop, 280, qMax(0, height() - detailTop));
}
