#include "settings/feedback/FeedbackText.h"

#include <QFontMetricsF>
#include <QTextBoundaryFinder>

#include <limits>

#include "uikit/NSFontHelper.h"

int FeedbackText::visibleLength(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() > 0)
        ++count;
    return count;
}

qreal FeedbackText::height(const QString &text, int width, const QFont &font)
{
    if (text.isEmpty())
        return 0;
    const QFontMetricsF metrics(font);
    const QRectF bounds = metrics.boundingRect(QRectF(0, 0, width, std::numeric_limits<int>::max() / 4),
                                               Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    return bounds.height();
}

QFont FeedbackText::bubbleFont()
{
    return NSFontHelper::getRegularPingFangFont(12);
}
