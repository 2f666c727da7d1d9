#include "home/unreached/NBLinesCell.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include "uikit/LMViewHelper.h"
#include "uikit/NSFontHelper.h"
#include "uikit/UiImages.h"
#include "uikit/PlainText.h"

namespace {
void setColour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}
} // namespace

NBLinesCell::NBLinesCell(QWidget *parent)
    : QWidget(parent)
{
    m_contentView = new QWidget(this);
    m_contentView->setAutoFillBackground(true);
    QPalette palette = m_contentView->palette();
    palette.setColor(QPalette::Window, QColor(23, 35, 48));
    m_contentView->setPalette(palette);
    m_nameText = PlainText::label(QStringLiteral("USA - San Francisco - 1"), m_contentView);
    m_nameText->setFont(NSFontHelper::getRegularPingFangFont(12));
    setColour(m_nameText, QColor(191, 191, 191));
    m_timeText = PlainText::label(QStringLiteral("50ms"), m_contentView);
    m_timeText->setFont(NSFontHelper::getRegularPingFangFont(10));
    m_markText = PlainText::label(m_contentView);
    m_markText->setFont(NSFontHelper::getRegularPingFangFont(10));
    setColour(m_markText, QColor(255, 197, 6));
    m_onOrOffButton = LMViewHelper::createImageButton(m_contentView, QString(), QSize(12, 12));
    m_onOrOffButton->setCheckable(true);
    QIcon icon;
    icon.addFile(UiImages::path(QStringLiteral("select_out")), QSize(), QIcon::Normal, QIcon::Off);
    icon.addFile(UiImages::path(QStringLiteral("select_on")), QSize(), QIcon::Normal, QIcon::On);
    m_onOrOffButton->setIcon(icon);
    // Connected once: the check moves once per press.
    connect(m_onOrOffButton, &QPushButton::clicked, this, [this] {
        if (clickBlock)
            clickBlock();
    });
    resize(320, 50);
}

QColor NBLinesCell::latencyColour(int ping)
{
    if (ping <= 99)
        return QColor(97, 255, 144);
    if (ping <= 199)
        return QColor(231, 213, 27);
    return QColor(222, 72, 81);
}

void NBLinesCell::configure(const OOHomeNodeModel &line)
{
    currentModel = line;
    m_nameText->setText(line.name);
    setColour(m_nameText, line.isMark ? QColor(90, 177, 234) : QColor(Qt::white));
    m_timeText->setText(QStringLiteral("%1ms").arg(line.ping));
    setColour(m_timeText, latencyColour(line.ping));
    if (line.lineMark) {
        m_mark = *line.lineMark;
        m_markText->setVisible(!line.lineMark->isEmpty());
    }
    m_onOrOffButton->setChecked(line.isClickState);
    layoutTexts();
}

void NBLinesCell::layoutTexts()
{
    constexpr int kNameX = 44;
    constexpr int kGap = 8;
    const int h = m_contentView->height();
    const int room = qMax(0, width() - 16 - 50 - kGap - kNameX);
    // The name comes first; the mark takes the room left and, when that is short, ends in "…"
    // instead of being cut off.
    const int nameWidth = qMin(m_nameText->sizeHint().width(), room);
    m_nameText->setGeometry(kNameX, 0, nameWidth, h);
    const int markX = kNameX + nameWidth + kGap;
    m_markText->setText(QFontMetrics(m_markText->font()).elidedText(m_mark, Qt::ElideRight, qMax(0, room - nameWidth - kGap)));
    m_markText->setGeometry(markX, 0, m_markText->sizeHint().width(), h);
}

void NBLinesCell::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_contentView->setGeometry(0, 1, width(), height() - 2);
    const int h = m_contentView->height();
    m_onOrOffButton->setGeometry(16, (h - 20) / 2, 20, 20);
    layoutTexts();
    m_timeText->setGeometry(width() - 16 - 50, 0, 50, h);
    m_timeText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}
