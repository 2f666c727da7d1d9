#include "uikit/unreached/LMViewFactory.h"

#include "uikit/ButtonColors.h"
#include "uikit/LMRectangleButton.h"
#include "uikit/NSFontHelper.h"
#include "uikit/PlainText.h"
#include "uikit/RoundedPanel.h"
#include "uikit/UiImages.h"

#include <QCheckBox>
#include <QCursor>
#include <QLabel>
#include <QPushButton>

QLabel *LMViewFactory::createNormalLabel(int size, const QColor &colour, int fontType)
{
    auto *label = PlainText::label();
    innerSetLabel(label, size, colour, fontType);
    return label;
}

QLabel *LMViewFactory::createAcceptsFirstMouseLabel(int size, const QColor &colour, int fontType)
{
    return createNormalLabel(size, colour, fontType);
}

void LMViewFactory::innerSetLabel(QLabel *label, int size, const QColor &colour, int fontType)
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

QPushButton *LMViewFactory::createNormalTextButton(int size, const QString &title, const QColor &colour, Qt::Alignment alignment)
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

QPushButton *LMViewFactory::createNormalButton()
{
    auto *button = new QPushButton;
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

LMRectangleButton *LMViewFactory::createNormalGreenButton(int size, const QString &title)
{
    auto *button = new LMRectangleButton(title);
    button->setFont(NSFontHelper::getRegularSystemFont(size));
    return button;
}

LMRectangleButton *LMViewFactory::createSmallGreenButton(int size, const QString &title)
{
    auto *button = createNormalGreenButton(size, title);
    button->titleNormalColor = Qt::white;
    return button;
}

QPixmap LMViewFactory::getImageFromSelfBundle(const QString &name, const QSize &size)
{
    return UiImages::pixmap(name, size);
}

QCheckBox *LMViewFactory::createCheckButtonWithMixedState(bool allowsMixed)
{
    auto *box = new QCheckBox;
    box->setTristate(allowsMixed);
    return box;
}

QLabel *LMViewFactory::createNormalImageView()
{
    auto *view = new QLabel;
    view->setAlignment(Qt::AlignCenter);
    view->setScaledContents(false);
    return view;
}

QWidget *LMViewFactory::createPureColorView(const QColor &colour)
{
    return new RoundedPanel(colour, 0);
}

QPoint LMViewFactory::mouseLocationInView(const QWidget *view)
{
    return view ? view->mapFromGlobal(QCursor::pos()) : QPoint();
}

bool LMViewFactory::mouseInView(const QWidget *view)
{
    return view && view->rect().contains(mouseLocationInView(view));
}

QPixmap LMViewFactory::swatchWithColor(const QColor &colour, const QSize &size)
{
    if (size.isEmpty())
        return {};
    QPixmap swatch(size);
    swatch.fill(colour);
    return swatch;
}
