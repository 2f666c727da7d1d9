#include "uikit/FNHUD.h"

#include "uikit/HUDNoMouseView.h"
#include "uikit/NSFontHelper.h"
#include "uikit/RotatingImageView.h"
#include "uikit/UiImages.h"
#include "uikit/UiTiming.h"
#include "uikit/ViewFader.h"
#include "uikit/PlainText.h"

#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace {

struct HudStyle
{
    bool made = false;
    QFont font;
    QColor background;
    QColor text;
    QString successImage;
    QString failureImage;
};

HudStyle &hudStyle()
{
    static HudStyle s;
    return s;
}

QList<QPointer<QWidget>> &shownList()
{
    static QList<QPointer<QWidget>> list;
    return list;
}

QSize textSize(const QString &message)
{
    const QFontMetrics metrics(hudStyle().font);
    const QRect bounds = metrics.boundingRect(QRect(0, 0, 320, 240), Qt::TextWordWrap, message);
    return {qMin(bounds.width(), 320), qMin(bounds.height(), 240)};
}

} // namespace

void FNHUD::setup()
{
    HudStyle &s = hudStyle();
    if (s.made)
        return;
    s.made = true;
    s.font = NSFontHelper::getRegularSystemFont(15);
    s.font.setBold(true);
    s.background = QColor(0, 0, 0, qRound(0.65 * 255));
    s.text = Qt::white;
    s.successImage = QStringLiteral("yy_hud_success");
    s.failureImage = QStringLiteral("yy_hud_fail");
}

FNHUD::FNHUD(const QRect &frame, QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_NoMousePropagation);
    setGeometry(frame);
}

QRect FNHUD::calcRect(const QString &message, bool hasImage, const QSize &parentSize)
{
    setup();
    const QSize text = textSize(message);
    const int width = qMax(text.width(), 120) + 2 * kMargin;
    const int height = (hasImage ? kImageBand : 0) + text.height() + 2 * kMargin;
    return {(parentSize.width() - width) / 2, (parentSize.height() - height) / 2, width, height};
}

FNHUD *FNHUD::createUI(const QString &rawMessage, const QString &imageName, QWidget *view, bool withMask, bool autoHide)
{
    if (!view)
        return nullptr;
    // The service's messages land here: a box sized to a hostile megabyte would cover the window.
    const QString message = PlainText::displayable(rawMessage, kMaxMessageChars);
    setup();
    hide();
    const bool hasImage = !imageName.isEmpty() || !autoHide;
    QWidget *holder = view;
    HUDNoMouseView *mask = nullptr;
    if (withMask) {
        mask = new HUDNoMouseView(view);
        holder = mask;
    }
    auto *box = new FNHUD(calcRect(message, hasImage, view->size()), holder);

    const QSize text = textSize(message);
    auto *label = PlainText::label(message, box);
    label->setFont(hudStyle().font);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, hudStyle().text);
    label->setPalette(palette);
    const int labelWidth = qMin(text.width() + 10, 320);
    // The program's frame is y-up: the text sits under the image band, the image at the top margin.
    label->setGeometry((box->width() - labelWidth) / 2, kMargin + (hasImage ? kImageBand : 0), labelWidth, text.height());

    const QRect imageRect((box->width() - 48) / 2, kMargin, 48, 48);
    if (!imageName.isEmpty()) {
        auto *image = new QLabel(box);
        image->setGeometry(imageRect);
        image->setPixmap(UiImages::pixmap(imageName, imageRect.size(), box->devicePixelRatioF()));
    } else if (!autoHide) {
        auto *spinner = new RotatingImageView(QStringLiteral("hud_spinner"), box);
        spinner->setGeometry(imageRect.adjusted(8, 8, -8, -8));
        spinner->setRotating(true);
    }

    QWidget *shown = mask ? static_cast<QWidget *>(mask) : box;
    shown->raise();
    shown->show();
    if (mask)
        mask->takeFocus();
    ViewFader::fade(shown, 0.0, 1.0, 250);
    shownList().append(shown);

    if (autoHide) {
        QPointer<QWidget> weak(shown);
        UiTiming::singleShot(3000, shown, [weak] {
            if (!weak || !shownList().contains(weak))
                return;
            shownList().removeAll(weak);
            ViewFader::fade(weak, ViewFader::opacity(weak), 0.0, 250, [weak] {
                if (weak)
                    weak->deleteLater();
            });
        });
    }
    return box;
}

FNHUD *FNHUD::showLoading(const QString &message, QWidget *view)
{
    return createUI(message, QString(), view, true, false);
}

FNHUD *FNHUD::showMessage(const QString &message, QWidget *view)
{
    return createUI(message, QString(), view, false, true);
}

FNHUD *FNHUD::showSuccess(const QString &message, QWidget *view)
{
    setup();
    return createUI(message, hudStyle().successImage, view, false, true);
}

FNHUD *FNHUD::showError(const QString &message, QWidget *view)
{
    setup();
    return createUI(message, hudStyle().failureImage, view, false, true);
}

void FNHUD::hide()
{
    const QList<QPointer<QWidget>> shown = shownList();
    shownList().clear();
    for (const QPointer<QWidget> &view : shown) {
        if (!view)
            continue;
        // Out of the way at once for clicks and keys; the fade is only a look.
        if (auto *mask = qobject_cast<OverlayWidget *>(view.data()))
            mask->setAttribute(Qt::WA_TransparentForMouseEvents);
        QPointer<QWidget> weak = view;
        ViewFader::fade(view, ViewFader::opacity(view), 0.0, 250, [weak] {
            if (weak)
                weak->deleteLater();
        });
    }
}

QList<QWidget *> FNHUD::shownViews()
{
    QList<QWidget *> list;
    for (const QPointer<QWidget> &view : shownList()) {
        if (view)
            list.append(view);
    }
    return list;
}

void FNHUD::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(hudStyle().background);
    painter.drawRoundedRect(QRectF(rect()), 6, 6);
}

void FNHUD::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}
