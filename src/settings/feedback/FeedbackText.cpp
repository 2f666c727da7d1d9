#include "settings/feedback/FeedbackText.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QTextLayout>
#include <QTextOption>
#include <QTextBoundaryFinder>

#include <limits>
#include <optional>

#include "uikit/NSFontHelper.h"
#include "uikit/PlainText.h"

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

QString FeedbackText::whole(const QString &text)
{
    // A limit of the text's own length never cuts: only what is dropped makes it shorter.
    const qsizetype length = qMin<qsizetype>(text.size(), std::numeric_limits<int>::max() - 1);
    return PlainText::displayable(text, int(length));
}

QFont FeedbackText::bubbleFont()
{
    return NSFontHelper::getRegularPingFangFont(12);
}

QString FeedbackText::elidedLines(const QString &text, const QFont &font, int width, int maxLines)
{
    if (width <= 0 || maxLines <= 0 || text.isEmpty())
        return text;
    // Line breaks of the text are breaks of the layout too.
    QString laidOut = text;
    laidOut.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(laidOut, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    std::optional<int> restStart;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() == maxLines - 1) {
            // The last line the label may show: does the text end on it?
            if (line.textStart() + line.textLength() < laidOut.size())
                restStart = line.textStart();
            else
                lines.append(laidOut.mid(line.textStart(), line.textLength()));
            break;
        }
        lines.append(laidOut.mid(line.textStart(), line.textLength()));
    }
    layout.endLayout();
    if (!restStart)
        return text;
    QString rest = laidOut.mid(*restStart);
    rest.replace(QChar::LineSeparator, QLatin1Char(' '));
    // Elided as one line: always shorter than the width, so it cannot wrap again.
    QString last = QFontMetrics(font).elidedText(rest + QStringLiteral("…"), Qt::ElideRight, width);
    if (!last.endsWith(QStringLiteral("…")))
        last += QStringLiteral("…");
    for (QString &kept : lines) {
        while (kept.endsWith(QChar::LineSeparator))
            kept.chop(1);
    }
    lines.append(last);
    return lines.join(QLatin1Char('\n'));
}
