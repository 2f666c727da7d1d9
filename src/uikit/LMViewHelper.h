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

// Factories of configured views, and the small view helpers of the widget classes.
class LMViewHelper
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
    // A button that is only its picture: flat, no frame or background, never takes keyboard
    // focus. An empty image name leaves the icon to the caller (two-state or set later).
    static QPushButton *createImageButton(QWidget *parent, const QString &image, const QSize &iconSize);
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
    LMViewHelper() = delete;
};
