#include "home/NBTimeScheduView.h"

#include <QLabel>

#include "uikit/NSFontHelper.h"
#include "uikit/UiTiming.h"
#include "uikit/PlainText.h"

NBTimeScheduView::NBTimeScheduView(QWidget *parent)
    : QWidget(parent)
{
    m_titleLabel = PlainText::label(QStringLiteral("00:00:00"), this);
    m_titleLabel->setFont(NSFontHelper::getLightPingFangFont(36));
    m_titleLabel->setStyleSheet(QStringLiteral("color: rgb(249, 249, 249); background: transparent;"));
    m_titleLabel->setAlignment(Qt::AlignCenter);
    m_newVersionLabel = PlainText::label(QStringLiteral("加速时间"), this);
    m_newVersionLabel->setFont(NSFontHelper::getRegularPingFangFont(10));
    m_newVersionLabel->setStyleSheet(QStringLiteral("color: rgb(124, 99, 172); background: transparent;"));
    m_newVersionLabel->setAlignment(Qt::AlignCenter);
    connect(&m_timer, &QTimer::timeout, this, &NBTimeScheduView::tick);
}

QString NBTimeScheduView::formatHMS(int seconds)
{
    return QString::asprintf("%02d:%02d:%02d", seconds / 3600, (seconds / 60) % 60, seconds % 60);
}

void NBTimeScheduView::updateConnectedTime(bool start)
{
    m_timer.stop();
    m_seconds = 0;
    if (!start) {
        hide();
        m_titleLabel->setText(formatHMS(0));
        return;
    }
    m_timer.start(UiTiming::ms(1000));
    tick();
}

void NBTimeScheduView::tick()
{
    ++m_seconds;
    show();
    m_titleLabel->setText(formatHMS(m_seconds));
}

void NBTimeScheduView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int captionHeight = m_newVersionLabel->sizeHint().height();
    m_titleLabel->setGeometry(0, 0, width(), height() - captionHeight - 2);
    m_newVersionLabel->setGeometry(0, height() - captionHeight, width(), captionHeight);
}
