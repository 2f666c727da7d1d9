#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QSizeF>
#include <QString>

#include <optional>

enum class OOConfigInputType { numberAndalphabet, number, alphabet };

// The look and layout of the code boxes. Every field has a default, so OOConfig{} is a valid
// configuration; the box construction writes the sizes it computed back into it.
struct OOConfig
{
    int inputBoxNumber = 0;
    qreal inputBoxWidth = 0;
    qreal inputBoxHeight = 0;
    qreal inputBoxBorderWidth = 1;
    qreal inputBoxCornerRadius = 0;
    qreal inputBoxSpacing = 5;
    qreal leftMargin = 0;
    std::optional<QColor> inputBoxColor = QColor(Qt::lightGray);
    std::optional<QColor> tintColor = QColor(Qt::blue);
    bool secureTextEntry = false;
    std::optional<QFont> font;          // none: the bold system font of 16 px
    std::optional<QColor> textColor = QColor(Qt::black);
    OOConfigInputType inputType = OOConfigInputType::number;
    bool autoShowKeyboard = false;
    double autoShowKeyboardDelay = 0.5;
    bool showFlickerAnimation = true;
    bool showUnderLine = false;
    QSizeF underLineSize;
    QColor underLineColor = QColor(Qt::lightGray);
    QString customInputHolder;
    bool useSystemPasswordKeyboard = false;
    std::optional<QColor> inputBoxHighlightedColor;
    std::optional<QColor> underLineHighlightedColor;
    QList<QColor> inputBoxFinishColors;
    QList<QColor> underLineFinishColors;
    QList<QFont> finishFonts;
    QList<QColor> finishTextColors;
};
