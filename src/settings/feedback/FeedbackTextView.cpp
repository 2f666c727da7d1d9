#include "settings/feedback/FeedbackTextView.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QTextLayout>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <limits>

FeedbackTextView::FeedbackTextView(QWidget *parent)
    : QWidget(parent)
    , m_stepTimer(new QTimer(this))
{
    m_stepTimer->setSingleShot(true);
    m_stepTimer->setInterval(0);
    connect(m_stepTimer, &QTimer::timeout, this, &FeedbackTextView::layOutMore);
}

FeedbackTextView::~FeedbackTextView() = default;

void FeedbackTextView::setText(const QString &text)
{
    if (text == m_text && m_layout)
        return;
    m_text = text;
    restartLayout();
}

void FeedbackTextView::setTextColour(const QColor &colour)
{
    m_colour = colour;
    update();
}

void FeedbackTextView::setLead(int length, const QColor &colour)
{
    m_leadLength = qMax(0, length);
    m_leadColour = colour;
    update();
}

bool FeedbackTextView::isLaidOut() const
{
    return m_text.isEmpty() || (m_layout && m_layout->isComplete());
}

int FeedbackTextView::laidOutHeight() const
{
    if (!m_layout)
        return 0;
    return int(std::ceil(m_layout->height())) + (showsContinuation() ? continuationHeight() : 0);
}

bool FeedbackTextView::showsContinuation() const
{
    return m_layout && !m_layout->isComplete();
}

int FeedbackTextView::continuationHeight() const
{
    return int(std::ceil(QFontMetricsF(font()).lineSpacing()));
}

QString FeedbackTextView::continuationMark()
{
    return QStringLiteral("\u2026");
}

int FeedbackTextView::lineCount() const
{
    return m_layout ? int(m_layout->lines().size()) : 0;
}

void FeedbackTextView::setTextWidth(int width)
{
    if (width == m_textWidth)
        return;
    m_textWidth = width;
    restartLayout();
}

void FeedbackTextView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        restartLayout();
}

void FeedbackTextView::restartLayout()
{
    m_stepTimer->stop();
    m_layout.reset();
    // Without a width there is nothing to wrap at yet: the owner's first width lays it out.
    if (!m_text.isEmpty() && m_textWidth > 0) {
        m_layout = std::make_unique<FeedbackTextLayout>(m_text, font(), m_textWidth);
        if (!m_layout->layOutSome(kFirstStep))
            m_stepTimer->start();
    }
    update();
    Q_EMIT laidOutHeightChanged();
}

void FeedbackTextView::layOutMore()
{
    if (!m_layout)
        return;
    if (!m_layout->layOutSome(kStep))
        m_stepTimer->start();
    update();
    Q_EMIT laidOutHeightChanged();
}

void FeedbackTextView::paintEvent(QPaintEvent *event)
{
    if (!m_layout)
        return;
    QPainter painter(this);
    painter.setPen(m_colour);
    const QList<FeedbackTextLayout::Line> &lines = m_layout->lines();
    const QRect exposed = event->rect();
    // Only the lines in the exposed area are shaped and drawn, one by one.
    auto line = std::upper_bound(lines.begin(), lines.end(), qreal(exposed.top()),
                                 [](qreal top, const FeedbackTextLayout::Line &l) { return top < l.y + l.height; });
    for (; line != lines.end() && line->y <= exposed.bottom(); ++line) {
        QTextLayout layout(m_text.mid(line->start, line->length), font());
        layout.setCacheEnabled(false);
        const int leadInLine = qBound(0, m_leadLength - line->start, line->length);
        if (leadInLine > 0) {
            QTextLayout::FormatRange lead;
            lead.start = 0;
            lead.length = leadInLine;
            lead.format.setForeground(m_leadColour);
            layout.setFormats({lead});
        }
        layout.beginLayout();
        QTextLine shaped = layout.createLine();
        if (shaped.isValid()) {
            shaped.setLeadingIncluded(true);
            shaped.setLineWidth(std::numeric_limits<int>::max() / 4);
        }
        layout.endLayout();
        layout.draw(&painter, QPointF(0, line->y));
    }
    if (showsContinuation()) {
        const qreal top = std::ceil(m_layout->height());
        painter.drawText(QRectF(0, top, width(), continuationHeight()), Qt::AlignLeft | Qt::AlignVCenter,
                         continuationMark());
    }
}
