#include "home/CharWrapLabel.h"

#include <QPainter>
#include <QTextLayout>

CharWrapLabel::CharWrapLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

QTextOption CharWrapLabel::textOption() const
{
    QTextOption option(alignment() & Qt::AlignHorizontal_Mask);
    option.setWrapMode(QTextOption::WrapAnywhere);
    return option;
}

QStringList CharWrapLabel::lines(int width) const
{
    QTextLayout layout(text(), font());
    layout.setTextOption(textOption());
    QStringList result;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        result << text().mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return result;
}

void CharWrapLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(foregroundRole()));
    const QRect area = contentsRect();
    const QRectF needed = painter.boundingRect(QRectF(area), text(), textOption());
    // Centred vertically as a whole, the first line starting at the left.
    QRectF box(area.left(), area.top() + (area.height() - needed.height()) / 2.0, area.width(), needed.height());
    painter.setClipRect(area);
    painter.drawText(box, text(), textOption());
}
