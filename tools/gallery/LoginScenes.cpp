// Pictures of the sign-in screens: each segment, an error toast, the country pop-up, the code
// row counting down, the code boxes, and the QR panel in each status. No service is asked: the
// QR panel is drawn from a made-up record.
#include "GalleryScene.h"

#include <QJsonObject>

#include "uikit/NBCustomTextField.h"
#include "uikit/NBDisableButton.h"
#include "uikit/NBSecureTextView.h"
#include "uikit/OOToastView.h"
#include "common/DefaultsKeys.h"
#include "common/Localization.h"
#include "common/UserDefaults.h"
#include "login/signin/NBEmailLoginViewController.h"
#include "login/signin/NBLoginViewController.h"
#include "login/signin/NBPhoneLoginViewController.h"
#include "login/code/NBRegCodeView.h"
#include "login/register/NBRegisterCountdown.h"
#include "login/signin/NBScanLoginView.h"
#include "login/signin/NBSwitchView.h"
#include "login/form/NBTextFiledContentView.h"
#include "login/code/NBVerityCodeContentView.h"
#include "login/code/NBVerityCodeView.h"
#include "login/signin/QRLoginPayload.h"

namespace {

NBLoginViewController *loginScreen(QWidget *host, int segment)
{
    UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, QStringLiteral("zh-Hans"));
    auto *login = new NBLoginViewController(host);
    login->setGeometry(0, 0, 800, 500);
    NBBaseViewController::setAppearing(login, true);
    login->switchAccountView()->selectButton(segment);
    login->show();
    return login;
}

NBScanLoginView *qrPanel(QWidget *host)
{
    NBLoginViewController *login = loginScreen(host, 1);
    NBScanLoginView *panel = login->presentScanPanel();
    const QJsonObject record = QRLoginPayload::loginRecord(
        QJsonObject{{QStringLiteral("token"), QStringLiteral("gallery-qr-token-0000")}, {QStringLiteral("qr_id"), QStringLiteral("a1b2")}});
    panel->showQrPayload(QRLoginPayload::payload(record).value_or(QStringLiteral("gallery")));
    return panel;
}

QWidget *formHost()
{
    QWidget *host = galleryWindowHost(QSize(384, 200));
    host->setStyleSheet(QStringLiteral("background: rgb(42, 41, 44);"));
    return host;
}

} // namespace

OSTREL_GALLERY_SCENE("login/email", 800, 500)
{
    QWidget *host = galleryWindowHost();
    loginScreen(host, 1);
    return host;
}

OSTREL_GALLERY_SCENE("login/phone", 800, 500)
{
    QWidget *host = galleryWindowHost();
    loginScreen(host, 2);
    return host;
}

OSTREL_GALLERY_SCENE("login/email_filled", 800, 500)
{
    QWidget *host = galleryWindowHost();
    NBLoginViewController *login = loginScreen(host, 1);
    auto *form = qobject_cast<NBEmailLoginViewController *>(login->currentForm());
    form->emailTextFiled()->textFiled()->setText(QStringLiteral("demo@example.com"));
    form->passWordTextFiled()->textFiled()->setText(QStringLiteral("abc12345"));
    return host;
}

OSTREL_GALLERY_SCENE("login/email_error_toast", 800, 500)
{
    QWidget *host = galleryWindowHost();
    NBLoginViewController *login = loginScreen(host, 1);
    auto *form = qobject_cast<NBEmailLoginViewController *>(login->currentForm());
    form->emailTextFiled()->textFiled()->setText(QStringLiteral("demo@example"));
    form->passWordTextFiled()->textFiled()->setText(QStringLiteral("abc12345"));
    form->signUpAction();
    return host;
}

OSTREL_GALLERY_SCENE("login/phone_country_popup", 800, 500)
{
    QWidget *host = galleryWindowHost();
    NBLoginViewController *login = loginScreen(host, 2);
    auto *form = qobject_cast<NBPhoneLoginViewController *>(login->currentForm());
    form->regcodeView()->textFiled()->setText(QStringLiteral("13800000000"));
    form->regcodeView()->click();
    return host;
}

OSTREL_GALLERY_SCENE("login/phone_country_chosen", 800, 500)
{
    QWidget *host = galleryWindowHost();
    NBLoginViewController *login = loginScreen(host, 2);
    auto *form = qobject_cast<NBPhoneLoginViewController *>(login->currentForm());
    form->regcodeView()->applyChosenCode(QStringLiteral("+852"));
    form->regcodeView()->textFiled()->setText(QStringLiteral("61234567"));
    return host;
}

OSTREL_GALLERY_SCENE("login/qr_status0_shown", 800, 500)
{
    QWidget *host = galleryWindowHost();
    qrPanel(host);
    return host;
}

OSTREL_GALLERY_SCENE("login/qr_status1_scanned", 800, 500)
{
    QWidget *host = galleryWindowHost();
    qrPanel(host)->showOverlay(NBScanLoginView::Overlay::Scanned);
    return host;
}

OSTREL_GALLERY_SCENE("login/qr_status2_confirmed", 800, 500)
{
    QWidget *host = galleryWindowHost();
    NBScanLoginView *panel = qrPanel(host);
    panel->showOverlay(NBScanLoginView::Overlay::Scanned);
    showSuccessToast(panel, localizedByAppLanguage(QStringLiteral("SIGN_SUCCESS")));
    return host;
}

OSTREL_GALLERY_SCENE("login/qr_status3_cancelled", 800, 500)
{
    QWidget *host = galleryWindowHost();
    qrPanel(host);
    return host;
}

OSTREL_GALLERY_SCENE("login/qr_status4_expired", 800, 500)
{
    QWidget *host = galleryWindowHost();
    qrPanel(host)->showOverlay(NBScanLoginView::Overlay::Expired);
    return host;
}

OSTREL_GALLERY_SCENE("login/code_row_ready", 384, 200)
{
    QWidget *host = formHost();
    auto *row = new NBTextFiledContentView(host);
    row->setGeometry(18, 30, 348, 40);
    row->textFiled()->setPlaceholderText(QStringLiteral("demo@example.com"));
    auto *code = new NBVerityCodeContentView(host);
    code->setGeometry(18, 90, 348, 40);
    code->textFiled()->setPlaceholderText(localizedByAppLanguage(QStringLiteral("PLEASEURE_ENTER_SIX_CODE")));
    return host;
}

OSTREL_GALLERY_SCENE("login/code_row_countdown", 384, 200)
{
    QWidget *host = formHost();
    auto *code = new NBVerityCodeContentView(host);
    code->setGeometry(18, 80, 348, 40);
    code->textFiled()->setText(QStringLiteral("123"));
    // Eighteen seconds into the countdown.
    NBRegisterCountdown::State state;
    state.button = code->verityCodeButton();
    for (int i = 0; i < 18; ++i)
        NBRegisterCountdown::tick(state);
    return host;
}

OSTREL_GALLERY_SCENE("login/code_boxes", 384, 200)
{
    QWidget *host = formHost();
    OOConfig config;
    config.inputBoxNumber = 6;
    config.inputBoxWidth = 42;
    config.inputBoxHeight = 55;
    config.inputBoxCornerRadius = 10;
    config.inputBoxSpacing = 12;
    config.inputBoxColor = QColor(101, 114, 129);
    config.tintColor = Qt::white;
    config.textColor = Qt::white;
    config.showFlickerAnimation = false;
    auto *boxes = new NBVerityCodeView(QSize(348, 56), config, host);
    boxes->move(18, 70);
    const QString digits = QStringLiteral("1234");
    for (int i = 0; i < digits.size(); ++i)
        boxes->boxes().at(i)->setText(digits.mid(i, 1));
    return host;
}
