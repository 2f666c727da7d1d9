#include "uikit/TextFieldStyle.h"

#include "uikit/NSFontHelper.h"

#include <QLineEdit>

void TextFieldStyle::setPlaceholder(QLineEdit *field)
{
    if (!field)
        return;
    QPalette palette = field->palette();
    palette.setColor(QPalette::PlaceholderText, QColor(101, 101, 103));
    field->setPalette(palette);
    // The placeholder is drawn in the field's font; the value typed later uses it too.
    field->setFont(NSFontHelper::getRegularPingFangFont(12));
    field->clear();
}

void TextFieldStyle::selectRange(QLineEdit *field, int start, int length)
{
    if (!field || start < 0 || length < 0)
        return;
    field->setSelection(start, length);
}

void TextFieldStyle::setInsertionPointColor(QLineEdit *field, const QColor &colour)
{
    if (!field || !colour.isValid())
        return;
    QPalette palette = field->palette();
    palette.setColor(QPalette::Text, colour);
    field->setPalette(palette);
}

void TextFieldStyle::applyDarkField(QLineEdit *field)
{
    if (!field)
        return;
    field->setFrame(false);
    field->setAttribute(Qt::WA_MacShowFocusRect, false);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, Qt::white);
    palette.setColor(QPalette::Highlight, QColor(60, 90, 140));
    field->setPalette(palette);
    field->setAutoFillBackground(false);
}
