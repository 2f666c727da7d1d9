#pragma once

#include <QColor>
#include <QRect>
#include <QString>

class QAbstractButton;
class QPainter;

// Coloured button titles (the program's button colour category): the title colour is the
// button's ButtonText palette entry, which every button of the kit paints with.
class ButtonColors
{
public:
    // Sets the title, then the colour over the whole title.
    static void setTitleWithColor(QAbstractButton *button, const QString &title, const QColor &colour);
    // The colour belongs to this title: a later setText() shows the new title in the button's
    // default style (the light appearance's dark button text, or its light text where the
    // button's face is too dark for that; whatever the desktop's colour scheme), as a replaced
    // styled title does.
    static void setAttributedTitleWithColor(QAbstractButton *button, const QString &title, const QColor &colour);
    // The colour of the face the title is drawn on (an image button's picture), which the default
    // style reads against; unset, the light appearance's face.
    static void setFaceColor(QAbstractButton *button, const QColor &face);
    // Over the whole title; colours given to parts of it before no longer apply.
    static void setFontColor(QAbstractButton *button, const QColor &colour);
    // Over the characters [start, start + length) of the present title only; the rest keeps
    // the title colour. A new title drops such parts, as a replaced title would.
    static void setFontColor(QAbstractButton *button, const QColor &colour, int start, int length);
    // The colour the title's character at index is drawn in.
    static QColor fontColorAt(const QAbstractButton *button, int index);
    // The title centred in area, one line, in the button's font and colours.
    static void drawTitle(QPainter &painter, const QAbstractButton *button, const QRect &area);
    // The colour the whole title is drawn in.
    static QColor fontColor(const QAbstractButton *button);

private:
    ButtonColors() = delete;
};
