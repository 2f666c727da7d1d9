#include "uikit/OOToastView.h"

#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "uikit/UiImages.h"
#include "uikit/UiTiming.h"
#include "common/Localization.h"
#include "uikit/PlainText.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPropertyAnimation>

#include <climits>

OOToastView::OOToastView(QWidget *parent)
    : QWidget(parent)
{
    // A toast is information, not a control: what it covers stays clickable.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    contentView();
    iconImgView();
    tipLab();
}

RoundedPanel *OOToastView::contentView()
{
    if (!m_contentView) {
        m_contentView = new RoundedPanel(Qt::black, 8, this);
        m_contentView->lower();
    }
    return m_contentView;
}

QLabel *OOToastView::iconImgView()
{
    if (!m_iconImgView) {
        m_iconImgView = new QLabel(this);
        m_iconImgView->setGeometry(10, 14, 14, 14);
    }
    return m_iconImgView;
}

QLabel *OOToastView::tipLab()
{
    if (!m_tipLab) {
        m_tipLab = PlainText::label(this);
        m_tipLab->setWordWrap(true);
        m_tipLab->setFont(NSFontHelper::getRegularPingFangFont(12));
        m_tipLab->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        QPalette palette = m_tipLab->palette();
        palette.setColor(QPalette::WindowText, Qt::white);
        m_tipLab->setPalette(palette);
    }
    return m_tipLab;
}

int OOToastView::heightForMessage(const QString &message)
{
    const QFontMetrics metrics(NSFontHelper::getRegularPingFangFont(12));
    return metrics.boundingRect(QRect(0, 0, kTextWidth, INT_MAX), Qt::TextWordWrap, message).height() + 31;
}

void OOToastView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    contentView()->setGeometry(rect());
    // Icon 10 from the left, text 10 after it; 14 from the top, 17 above the bottom, 33 from the right.
    tipLab()->setGeometry(34, 14, width() - 34 - 33, height() - 14 - 17);
}

OOToastView *showToast(QWidget *host, const QString &rawMessage, const QString &iconName,
                       const QColor &background, const QColor &textColour, std::function<void()> completion)
{
    if (!host)
        return nullptr;
    // Server messages are shown here as they came: cut so the toast keeps to a few lines.
    const QString message = PlainText::displayable(rawMessage, OOToastView::kMaxMessageChars);
    auto *toast = new OOToastView(host);
    toast->contentView()->setBackgroundColor(background);
    QPalette palette = toast->tipLab()->palette();
    palette.setColor(QPalette::WindowText, textColour);
    toast->tipLab()->setPalette(palette);
    toast->tipLab()->setText(message);
    if (!iconName.isEmpty())
        toast->iconImgView()->setPixmap(UiImages::pixmap(iconName, QSize(14, 14), toast->devicePixelRatioF()));

    const int height = OOToastView::heightForMessage(message);
    const int x = (host->width() - OOToastView::kWidth) / 2;
    // The program's frame is y-up: it starts at the bottom edge and rises.
    const QPoint start(x, host->height() - height);
    const QPoint end(x, host->height() - height - OOToastView::kRise);
    toast->setGeometry(QRect(start, QSize(OOToastView::kWidth, height)));
    toast->raise();
    toast->show();

    auto *slide = new QPropertyAnimation(toast, "pos", toast);
    slide->setStartValue(start);
    slide->setEndValue(end);
    slide->setDuration(UiTiming::ms(250));
    QPointer<OOToastView> weak(toast);
    QObject::connect(slide, &QPropertyAnimation::finished, toast, [weak, completion] {
        if (!weak)
            return;
        UiTiming::singleShot(500, weak.data(), [weak] {
            if (weak)
                weak->deleteLater();
        });
        if (completion)
            completion();
    });
    slide->start(QAbstractAnimation::DeleteWhenStopped);
    return toast;
}

OOToastView *showErrorToast(QWidget *host, const QString &message)
{
    return showToast(host, message, QStringLiteral("hud_error_icon"), QColor(39, 14, 1), QColor(255, 151, 151));
}

OOToastView *showSuccessToast(QWidget *host, const QString &message)
{
    return showToast(host, message, QStringLiteral("hud_ok_icon"), QColor(1, 39, 13), QColor(193, 255, 203));
}

OOToastView *showWarnToast(QWidget *host, const QString &message)
{
    return showToast(host, message, QStringLiteral("hud_warn_icon"), QColor(2, 39, 61), QColor(184, 229, 255));
}

OOToastView *showNetWeakToast(QWidget *host)
{
    return showToast(host, localizedByAppLanguage(QStringLiteral("NET_TIMEOUT_TIP")), QStringLiteral("hud_net_weak_icon"),
                     QColor(39, 14, 1), QColor(255, 151, 151));
}
