#pragma once

#include <QColor>
#include <QPixmap>
#include <QPoint>
#include <QString>

class LMRectangleButton;
class QCheckBox;
class QLabel;
class QPushButton;
class QWidget;

// Nothing in the client calls these yet; they are kept as the rest of the kit's view factories
// (the one a screen uses, the picture button, is LMViewHelper::createImageButton).
// Factories of configured views, and small view helpers.
class LMViewFactory
{
public:
    // Font types: 0 light, 1 medium, any other regular (system font at the given pixel size).
    static QLabel *createNormalLabel(int size, const QColor &colour, int fontType = 2);
    // The platform made this label take the click that activates its window; every Linux
    // window passes that click on already, so it is the normal label.
    static QLabel *createAcceptsFirstMouseLabel(int size, const QColor &colour, int fontType);
    static void innerSetLabel(QLabel *label, int size, const QColor &colour, int fontType);
    static QPushButton *createNormalTextButton(int size, const QString &title, const QColor &colour,
                                               Qt::Alignment alignment = Qt::AlignCenter);
    static QPushButton *createNormalButton();
    static LMRectangleButton *createNormalGreenButton(int size, const QString &title);
    static LMRectangleButton *createSmallGreenButton(int size, const QString &title);
    static QPixmap getImageFromSelfBundle(const QString &name, const QSize &size);
    static QCheckBox *createCheckButtonWithMixedState(bool allowsMixed);
    static QLabel *createNormalImageView();
    static QWidget *createPureColorView(const QColor &colour);
    // The pointer in the view's coordinates, and whether it lies inside the view.
    static QPoint mouseLocationInView(const QWidget *view);
    static bool mouseInView(const QWidget *view);
    // An image of that size filled with the colour.
    static QPixmap swatchWithColor(const QColor &colour, const QSize &size);

private:
    LMViewFactory() = delete;
};
