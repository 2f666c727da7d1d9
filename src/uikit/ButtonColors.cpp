#include "uikit/ButtonColors.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QPainter>
#include <QVariant>

namespace {

constexpr auto kRangesProperty = "ostrelTitleColourRanges";
constexpr auto kRangesTitleProperty = "ostrelTitleColourRangesTitle";
constexpr auto kAttributedTitleProperty = "ostrelAttributedTitle";

struct ColourRange
{
    int start = 0;
    int length = 0;
    QColor colour;
};

QList<ColourRange> rangesOf(const QAbstractButton *button)
{
    QList<ColourRange> ranges;
    if (!button || button->property(kRangesTitleProperty).toString() != button->text())
        return ranges;
    const QVariantList stored = button->property(kRangesProperty).toList();
    for (const QVariant &entry : stored) {
        const QVariantMap map = entry.toMap();
        ranges.append({map.value(QStringLiteral("start")).toInt(), map.value(QStringLiteral("length")).toInt(),
                       map.value(QStringLiteral("colour")).value<QColor>()});
    }
    return ranges;
}

// The default style of a replaced styled title. The buttons that carry one (the alert's) keep
// the light appearance on every desktop: their images are light, so the desktop's own button
// text, near white under a dark colour scheme, would vanish on them.
const QPalette &lightPalette()
{
    static const QPalette palette(QColor(236, 236, 236));
    return palette;
}

// The button's colour for its whole title: the one set with the title, or, once the title was
// replaced, the default style's.
QColor titleColour(const QAbstractButton *button, QPalette::ColorGroup group)
{
    const QVariant attributed = button->property(kAttributedTitleProperty);
    if (attributed.isValid() && attributed.toString() != button->text())
        return lightPalette().color(group, QPalette::ButtonText);
    return button->palette().color(group, QPalette::ButtonText);
}

} // namespace

void ButtonColors::setTitleWithColor(QAbstractButton *button, const QString &title, const QColor &colour)
{
    if (!button)
        return;
    button->setText(title);
    setFontColor(button, colour);
}

void ButtonColors::setAttributedTitleWithColor(QAbstractButton *button, const QString &title, const QColor &colour)
{
    if (!button)
        return;
    setTitleWithColor(button, title, colour);
    button->setProperty(kAttributedTitleProperty, title);
}

void ButtonColors::setFontColor(QAbstractButton *button, const QColor &colour)
{
    if (!button || !colour.isValid())
        return;
    QPalette palette = button->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::ButtonText, colour);
    button->setPalette(palette);
    button->setProperty(kRangesProperty, QVariant());
    button->setProperty(kRangesTitleProperty, QVariant());
    // A styled title stays styled, now with this colour, for as long as it is the title.
    if (button->property(kAttributedTitleProperty).isValid())
        button->setProperty(kAttributedTitleProperty, button->text());
}

void ButtonColors::setFontColor(QAbstractButton *button, const QColor &colour, int start, int length)
{
    if (!button || !colour.isValid() || start < 0 || length <= 0)
        return;
    // A range past the end of the title is a caller's mistake: colour what exists of it.
    const int end = qMin(start + length, int(button->text().size()));
    if (start >= end)
        return;
    QVariantList stored;
    if (button->property(kRangesTitleProperty).toString() == button->text())
        stored = button->property(kRangesProperty).toList();
    stored.append(QVariantMap{{QStringLiteral("start"), start},
                              {QStringLiteral("length"), end - start},
                              {QStringLiteral("colour"), colour}});
    button->setProperty(kRangesProperty, stored);
    button->setProperty(kRangesTitleProperty, button->text());
    button->update();
}

QColor ButtonColors::fontColorAt(const QAbstractButton *button, int index)
{
    if (!button)
        return {};
    QColor colour = fontColor(button);
    // Later ranges lie over earlier ones.
    for (const ColourRange &range : rangesOf(button)) {
        if (index >= range.start && index < range.start + range.length)
            colour = range.colour;
    }
    return colour;
}

void ButtonColors::drawTitle(QPainter &painter, const QAbstractButton *button, const QRect &area)
{
    if (!button)
        return;
    const QString title = button->text();
    painter.setFont(button->font());
    const QColor base = titleColour(button, button->palette().currentColorGroup());
    if (rangesOf(button).isEmpty()) {
        painter.setPen(base);
        painter.drawText(area, Qt::AlignCenter, title);
        return;
    }
    const QFontMetrics metrics(button->font());
    int x = area.left() + (area.width() - metrics.horizontalAdvance(title)) / 2;
    const int baseline = area.top() + (area.height() - metrics.height()) / 2 + metrics.ascent();
    // Runs of one colour, drawn one after the other on the title's baseline.
    int runStart = 0;
    while (runStart < title.size()) {
        const QColor colour = button->isEnabled() ? fontColorAt(button, runStart) : base;
        int runEnd = runStart + 1;
        while (runEnd < title.size() && fontColorAt(button, runEnd) == colour)
            ++runEnd;
        const QString run = title.mid(runStart, runEnd - runStart);
        painter.setPen(colour);
        painter.drawText(QPoint(x, baseline), run);
        x += metrics.horizontalAdvance(run);
        runStart = runEnd;
    }
}

QColor ButtonColors::fontColor(const QAbstractButton *button)
{
    return button ? titleColour(button, QPalette::Active) : QColor();
}
