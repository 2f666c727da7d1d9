#include "login/signin/NBScanLoginView.h"

#include <QDebug>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "app/QRCodeImage.h"
#include "uikit/NSFontHelper.h"
#include "uikit/OOToastView.h"
#include "uikit/UiImages.h"
#include "uikit/UiTiming.h"
#include "common/ProtocolConfig.h"
#include "login/form/AccountReply.h"
#include "networking/OONetWorkTool.h"
#include "login/signin/NBQRCodeExpireView.h"
#include "login/signin/NBScanSuccessView.h"
#include "login/signin/QRLoginPayload.h"
#include "common/Localization.h"
#include "login/LoginLog.h"
#include "uikit/PlainText.h"

namespace {

QLabel *whiteLabel(const QString &text, int fontSize, QWidget *parent)
{
    auto *label = PlainText::label(text, parent);
    label->setFont(NSFontHelper::getRegularPingFangFont(fontSize));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    label->resize(label->sizeHint());
    return label;
}

// The status number of a query reply: "data"."qr_code_status" as a JSON integer, else nothing.
std::optional<int> statusOf(const QJsonObject &reply)
{
    const QJsonValue data = reply.value(QStringLiteral("data"));
    if (!data.isObject() || data.toObject().isEmpty())
        return std::nullopt;
    const QJsonValue status = data.toObject().value(QStringLiteral("qr_code_status"));
    if (!status.isDouble())
        return std::nullopt;
    const double number = status.toDouble();
    if (number != double(qint64(number)))
        return std::nullopt;
    return int(number);
}

} // namespace

NBScanLoginView::NBScanLoginView(QWidget *parent)
    : QWidget(parent)
{
    m_titleLab = whiteLabel(QStringLiteral("扫码登录"), 14, this);
    m_qrImgView = new QLabel(this);
    m_qrImgView->resize(kQrSide, kQrSide);
    m_qrImgView->setAlignment(Qt::AlignCenter);
    m_tipLab = whiteLabel(QStringLiteral("请使用翠鸟通行器Pro App扫码登录"), 10, this);

    m_otherLoginBtn = new QPushButton(QStringLiteral("其他登录选项"), this);
    m_otherLoginBtn->setFont(NSFontHelper::getRegularPingFangFont(10));
    m_otherLoginBtn->setCursor(Qt::PointingHandCursor);
    m_otherLoginBtn->setFocusPolicy(Qt::NoFocus);
    m_otherLoginBtn->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; color: rgb(179, 183, 190); }"));
    // The image above the title: drawn as a child label, the title at the bottom.
    auto *icon = new QLabel(m_otherLoginBtn);
    icon->setPixmap(UiImages::pixmap(QStringLiteral("other_login_icon"), QSize(30, 30), devicePixelRatioF()));
    icon->setAttribute(Qt::WA_TransparentForMouseEvents);
    icon->setObjectName(QStringLiteral("otherLoginIcon"));
    icon->resize(30, 30);
    const int buttonWidth = qMax(80, m_otherLoginBtn->fontMetrics().horizontalAdvance(m_otherLoginBtn->text()) + 10);
    m_otherLoginBtn->resize(buttonWidth, 58);
    m_otherLoginBtn->setStyleSheet(m_otherLoginBtn->styleSheet()
                                   + QStringLiteral(" QPushButton { padding-top: 34px; text-align: center; }"));
    icon->move((buttonWidth - 30) / 2, 2);
    connect(m_otherLoginBtn, &QPushButton::clicked, this, &NBScanLoginView::otherLoginAction);
}

NBScanLoginView::~NBScanLoginView()
{
    qCDebug(lcLogin) << "deinit: NBScanLoginView";
}

void NBScanLoginView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(42, 41, 44));
    painter.drawRoundedRect(QRectF(rect()), 20, 20);
}

void NBScanLoginView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_titleLab->move((width() - m_titleLab->width()) / 2, 42);
    m_qrImgView->move((width() - kQrSide) / 2, m_titleLab->geometry().bottom() + 1 + 20);
    m_tipLab->move((width() - m_tipLab->width()) / 2, m_qrImgView->geometry().bottom() + 1 + 15);
    m_otherLoginBtn->move((width() - m_otherLoginBtn->width()) / 2, m_tipLab->geometry().bottom() + 1 + 39);
}

void NBScanLoginView::start()
{
    const int generation = ++m_generation;
    m_info.reset();
    m_lastStatus.reset();
    m_polling = false;
    m_qrImgView->clear();
    showOverlay(Overlay::None);
    QPointer<NBScanLoginView> self(this);
    OONetWorkTool::getQRCode([self, generation](std::optional<QJsonObject> reply, std::optional<NetError>) {
        if (self)
            self->handleQrPayload(reply, generation);
    });
}

void NBScanLoginView::handleQrPayload(const std::optional<QJsonObject> &reply, int generation)
{
    if (generation != m_generation)
        return;
    const AccountReply result = AccountReply::read(reply);
    if (!result.isSuccess())
        return;
    const QJsonValue data = result.reply().value(QStringLiteral("data"));
    if (!data.isObject() || data.toObject().isEmpty())
        return;
    m_info = QRLoginPayload::loginRecord(data.toObject());
    if (const std::optional<QString> payload = QRLoginPayload::payload(*m_info))
        showQrPayload(*payload);
    m_polling = true;
    pollQrCodeStatus(generation);
}

void NBScanLoginView::showQrPayload(const QString &payload)
{
    const qreal ratio = devicePixelRatioF();
    QImage image = createQRImage(payload, QSize(kQrSide, kQrSide) * ratio, QRErrorCorrection::M);
    if (image.isNull()) {
        m_qrImgView->clear();
        return;
    }
    image.setDevicePixelRatio(ratio);
    m_qrImgView->setPixmap(QPixmap::fromImage(image));
}

void NBScanLoginView::pollQrCodeStatus(int generation)
{
    if (generation != m_generation || !m_info)
        return;
    QPointer<NBScanLoginView> self(this);
    OONetWorkTool::queryQRCode(*m_info, [self, generation](std::optional<QJsonObject> reply, std::optional<NetError>) {
        if (self)
            self->handleQrCodeStatus(reply, generation);
    });
}

void NBScanLoginView::schedulePoll(int generation)
{
    QPointer<NBScanLoginView> self(this);
    UiTiming::singleShot(kPollMs, this, [self, generation] {
        // Taken out of its card, the panel asks for nothing more.
        if (self && self->parentWidget())
            self->pollQrCodeStatus(generation);
    });
}

void NBScanLoginView::handleQrCodeStatus(const std::optional<QJsonObject> &reply, int generation)
{
    if (generation != m_generation)
        return;
    const AccountReply result = AccountReply::read(reply);
    const std::optional<int> status = result.isSuccess() ? statusOf(result.reply()) : std::nullopt;
    if (!status) {
        m_polling = false;
        return;
    }
    m_lastStatus = status;
    qCDebug(lcLogin).noquote() << "qr_code_status" << *status;
    switch (*status) {
    case 0:
        qCDebug(lcLogin).noquote() << QStringLiteral("初始值");
        break;
    case 1:
        qCDebug(lcLogin).noquote() << QStringLiteral("已扫码");
        showOverlay(Overlay::Scanned);
        break;
    case 2:
        qCDebug(lcLogin).noquote() << QStringLiteral("确认登录");
        m_polling = false;
        signInByQrCode();
        return;
    case 3:
        qCDebug(lcLogin).noquote() << QStringLiteral("取消登录");
        m_polling = false;
        return;
    case 4:
        qCDebug(lcLogin).noquote() << QStringLiteral("二维码已失效");
        m_polling = false;
        showOverlay(Overlay::Expired);
        return;
    default:
        break;
    }
    schedulePoll(generation);
}

void NBScanLoginView::signInByQrCode()
{
    if (!m_info || m_signingIn)
        return;
    const QJsonValue token = m_info->value(QStringLiteral("token"));
    if (!token.isString())
        return;
    m_signingIn = true;
    QPointer<NBScanLoginView> self(this);
    // The host's step after a sign-in, kept apart from the panel: a panel closed before the
    // answer (another way of signing in chosen) still leads a signed-in user to the main window.
    std::function<void()> signedIn = loginBlock;
    OONetWorkTool::signInByQRCode(token.toString(), [self, signedIn](std::optional<QJsonObject> reply,
                                                                     std::optional<NetError>) {
        // The reader stores the user whether or not the panel is still there.
        const AccountReply result = AccountReply::readSignIn(reply);
        if (self)
            self->m_signingIn = false;
        // A refusal shows nothing and leaves the panel as it is.
        if (result.isSuccess() && signedIn)
            signedIn();
    });
}

NBScanLoginView::Overlay NBScanLoginView::overlay() const
{
    if (qobject_cast<NBScanSuccessView *>(m_overlayView.data()))
        return Overlay::Scanned;
    if (qobject_cast<NBQRCodeExpireView *>(m_overlayView.data()))
        return Overlay::Expired;
    return Overlay::None;
}

void NBScanLoginView::showOverlay(Overlay overlay)
{
    // Later, not now: the old overlay's refresh button may be the one whose click got us here.
    if (m_overlayView) {
        m_overlayView->hide();
        m_overlayView->deleteLater();
        m_overlayView = nullptr;
    }
    if (overlay == Overlay::None)
        return;
    QWidget *view = nullptr;
    if (overlay == Overlay::Scanned) {
        view = new NBScanSuccessView(m_qrImgView);
    } else {
        auto *expired = new NBQRCodeExpireView(m_qrImgView);
        connect(expired->refreshBtn(), &QPushButton::clicked, this, &NBScanLoginView::start);
        view = expired;
    }
    view->setGeometry(m_qrImgView->rect());
    view->show();
    m_overlayView = view;
}

void NBScanLoginView::otherLoginAction()
{
    ++m_generation;
    m_polling = false;
    hide();
    setParent(nullptr);
    deleteLater();
}
