#pragma once

#include <QColor>
#include <QString>

class QAbstractButton;

// Coloured button titles (the program's button colour category): the title colour is the
// button's ButtonText palette entry, which every button of the kit paints with.
class ButtonColors
{
public:
    // Sets the title, then the colour over the whole title.
    static void setTitleWithColor(QAbstractButton *button, const QString &title, const QColor &colour);
    static void setAttributedTitleWithColor(QAbstractButton *button, const QString &title, const QColor &colour);
    static void setFontColor(QAbstractButton *button, const QColor &colour);
    static QColor fontColor(const QAbstractButton *button);

private:
    ButtonColors() = delete;
};
