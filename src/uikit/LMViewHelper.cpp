#include "uikit/LMViewHelper.h"

#include "uikit/ButtonColors.h"
#include "uikit/LMRectangleButton.h"
#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "uikit/UiImages.h"
#include "uikit/PlainText.h"

#include <QCheckBox>
#include <QCursor>
#include <QLabel>
#include <QPushButton>

QLabel *LMViewHelper::createNormalLabel(int size, const QColor &colour, int fontType)
{
    auto *label = PlainText::label();
    innerSetLabel(label, size, colour, fontType);
    return label;
}

QLabel *LMViewHelper::createAcceptsFirstMouseLabel(int size, const QColor &colour, int fontType)
{
    return createNormalLabel(size, colour, fontType);
}

void LMViewHelper::innerSetLabel(QLabel *label, int size, const QColor &colour, int fontType)
{
    if (!label)
        return;
    label->setFont(fontType == 0 ? NSFontHelper::getLightSystemFont(size)
                   : fontType == 1 ? NSFontHelper::getMediumSystemFont(size)
                                   : NSFontHelper::getRegularSystemFont(size));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setAutoFillBackground(false);
}

QPushButton *LMViewHelper::createNormalTextButton(int size, const QString &title, const QColor &colour, Qt::Alignment alignment)
{
    auto *button = createNormalButton();
    button->setFont(NSFontHelper::getRegularSystemFont(size));
    ButtonColors::setTitleWithColor(button, title, colour);
    const QString align = (alignment & Qt::AlignLeft) ? QStringLiteral("left")
        : (alignment & Qt::AlignRight)                 ? QStringLiteral("right")
                                                       : QStringLiteral("center");
    button->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; text-align: %1; }").arg(align));
    return button;
}

QPushButton *LMViewHelper::createNormalButton()
{
    auto *button = new QPushButton;
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QPushButton *LMViewHelper::createImageButton(QWidget *parent, const QString &image, const QSize &iconSize)
{
    auto *button = new QPushButton(parent);
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus);
    if (!image.isEmpty())
        button->setIcon(UiImages::icon(image));
    button->setIconSize(iconSize);
    button->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; }"));
    return button;
}

LMRectangleButton *LMViewHelper::createNormalGreenButton(int size, const QString &title)
{
    auto *button = new LMRectangleButton(title);
    button->setFont(NSFontHelper::getRegularSystemFont(size));
    return button;
}

LMRectangleButton *LMViewHelper::createSmallGreenButton(int size, const QString &title)
{
    auto *button = createNormalGreenButton(size, title);
    button->titleNormalColor = Qt::white;
    return button;
}

QPixmap LMViewHelper::getImageFromSelfBundle(const QString &name, const QSize &size)
{
    return UiImages::pixmap(name, size);
}

QCheckBox *LMViewHelper::createCheckButtonWithMixedState(bool allowsMixed)
{
    auto *box = new QCheckBox;
    box->setTristate(allowsMixed);
    return box;
}

QLabel *LMViewHelper::createNormalImageView()
{
    auto *view = new QLabel;
    view->setAlignment(Qt::AlignCenter);
    view->setScaledContents(false);
    return view;
}

QWidget *LMViewHelper::createPureColorView(const QColor &colour)
{
    return new RoundedPanel(colour, 0);
}

QPoint LMViewHelper::mouseLocationInView(const QWidget *view)
{
    return view ? view->mapFromGlobal(QCursor::pos()) : QPoint();
}

bool LMViewHelper::mouseInView(const QWidget *view)
{
    return view && view->rect().contains(mouseLocationInView(view));
}

QPixmap LMViewHelper::swatchWithColor(const QColor &colour, const QSize &size)
{
    if (size.isEmpty())
        return {};
    QPixmap swatch(size);
    swatch.fill(colour);
    return swatch;
}
