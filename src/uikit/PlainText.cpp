#include "uikit/PlainText.h"

#include <QLabel>

namespace {

bool isKeptControl(char16_t c)
{
    return c == u'\n' || c == u'\t';
}

bool isDropped(char16_t c)
{
    if (isKeptControl(c))
        return false;
    // C0, DEL and C1 controls; a carriage return alone would move the pen, so it goes too.
    return c < 0x20 || (c >= 0x7f && c <= 0x9f);
}

} // namespace

QString PlainText::displayable(const QString &text, int maxChars)
{
    const int limit = qMax(1, maxChars);
    QString out;
    out.reserve(qMin<qsizetype>(text.size(), limit + 1));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (isDropped(c))
            continue;
        if (out.size() >= limit) {
            // Never end on half of a surrogate pair: an emoji is kept whole or left out.
            if (out.back().isHighSurrogate())
                out.chop(1);
            out.append(QChar(0x2026));
            return out;
        }
        out.append(QChar(c));
    }
    if (!out.isEmpty() && out.back().isHighSurrogate())
        out.chop(1);
    return out;
}

QString PlainText::escaped(const QString &text, int maxChars)
{
    return displayable(text, maxChars).toHtmlEscaped();
}

QLabel *PlainText::label(QWidget *parent)
{
    auto *label = new QLabel(parent);
    makePlain(label);
    return label;
}

QLabel *PlainText::label(const QString &text, QWidget *parent)
{
    QLabel *made = label(parent);
    made->setText(displayable(text));
    return made;
}

void PlainText::makePlain(QLabel *label)
{
    if (!label)
        return;
    label->setTextFormat(Qt::PlainText);
}

void PlainText::setText(QLabel *label, const QString &text, int maxChars)
{
    if (!label)
        return;
    makePlain(label);
    label->setText(displayable(text, maxChars));
}
