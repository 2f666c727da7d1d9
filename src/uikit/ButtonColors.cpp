#include "uikit/ButtonColors.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QPainter>
#include <QVariant>

#include <algorithm>
#include <cmath>

namespace {

constexpr auto kRangesProperty = "ostrelTitleColourRanges";
constexpr auto kRangesTitleProperty = "ostrelTitleColourRangesTitle";
constexpr auto kAttributedTitleProperty = "ostrelAttributedTitle";
constexpr auto kFaceProperty = "ostrelTitleFace";

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
// the light appearance on every desktop: the desktop's own button text, near white under a dark
// colour scheme, would vanish on their light gold face.
const QPalette &lightPalette()
{
    static const QPalette palette(QColor(236, 236, 236));
    return palette;
}

double channel(int value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// Relative luminance, as text contrast is measured.
double luminance(const QColor &colour)
{
    return 0.2126 * channel(colour.red()) + 0.7152 * channel(colour.green()) + 0.0722 * channel(colour.blue());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The light appearance's dark text, or its light text on a face too dark for the dark one (the
// alert's grey button): a replaced title must still be read.
QColor defaultTitleColour(const QAbstractButton *button, QPalette::ColorGroup group)
{
    const QColor dark = lightPalette().color(group, QPalette::ButtonText);
    const QColor face = button->property(kFaceProperty).value<QColor>();
    if (!face.isValid())
        return dark;
    const QColor light = lightPalette().color(group, QPalette::BrightText);
    return contrast(dark, face) >= contrast(light, face) ? dark : light;
}

// The button's colour for its whole title: the one set with the title, or, once the title was
// replaced, the default style's.
QColor titleColour(const QAbstractButton *button, QPalette::ColorGroup group)
{
    const QVariant attributed = button->property(kAttributedTitleProperty);
    if (attributed.isValid() && attributed.toString() != button->text())
        return defaultTitleColour(button, group);
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

void ButtonColors::setFaceColor(QAbstractButton *button, const QColor &face)
{
    if (!button)
        return;
    button->setProperty(kFaceProperty, face.isValid() ? QVariant(face) : QVariant());
    button->update();
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
