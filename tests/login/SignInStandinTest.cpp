// Sign-in against the stand-in service over real HTTP: the e-mail and phone forms from the login
// screen to the main window, refusals that must not count as a sign-in, and the QR panel through
// every status the phone app can bring about.
#include <QJsonArray>
#include <QLoggingCategory>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "app/AppDelegate.h"
#include "app/NBGuidViewController.h"
#include "app/NBMainSplitViewController.h"
#include "app/QRCodeImage.h"
#include "app/unreached/ScreenQRScanner.h"
#include "uikit/ImageTitleButton.h"
#include "uikit/NBMaskView.h"
#include "uikit/NBPresentationAnimator.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBSecureTextView.h"
#include "uikit/OOToastView.h"
#include "uikit/UiTiming.h"
#include "uikit/WindowInUse.h"
#include "common/ApiPaths.h"
#include "common/Localization.h"
#include "common/MKUserInfoManager.h"
#include "networking/OONetWorkTool.h"
#include "login/form/NBCoutryCodeView.h"
#include "login/signin/NBEmailLoginViewController.h"
#include "login/signin/NBLoginViewController.h"
#include "login/signin/NBPhoneLoginViewController.h"
#include "login/signin/NBQRCodeExpireView.h"
#include "login/code/NBRegCodeView.h"
#include "login/signin/NBScanLoginView.h"
#include "login/signin/NBSwitchView.h"
#include "login/form/NBTextFiledContentView.h"
#include "login/signin/QRLoginPayload.h"
#include "support/MessageCapture.h"
#include "support/NetworkTestSupport.h"

namespace {

class SignInStandinTest : public StandinSuite
{
protected:
    void SetUp() override
    {
        StandinSuite::SetUp();
        s_standin->control(QJsonObject{{QStringLiteral("qr_manual"), false}, {QStringLiteral("clear_records"), true}});
        ASSERT_TRUE(MKUserInfoManager::shared().clearUser());
        openLoginScreen();
    }
    // A new window on the guide, with the login screen over it as the guide's account choice
    // opens it.
    void openLoginScreen()
    {
        delegate.reset();
        delegate = std::make_unique<AppDelegate>();
        delegate->showGuide();
        auto *guide = qobject_cast<NBGuidViewController *>(delegate->fakeWindowVC()->contentViewController());
        ASSERT_NE(guide, nullptr);
        auto made = std::make_unique<NBLoginViewController>(guide);
        made->setGeometry(0, 0, 800, 500);
        auto *animator = new NBPresentationAnimator(made.get(), guide);
        login = guide->presentViewController(std::move(made), animator);
        ASSERT_NE(login, nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(login->currentForm() != nullptr, 3000);
    }
    void TearDown() override
    {
        delegate.reset();
        s_standin->control(QJsonObject{{QStringLiteral("qr_manual"), false}});
    }

    NBEmailLoginViewController *emailForm() const
    {
        return qobject_cast<NBEmailLoginViewController *>(login->currentForm());
    }
    bool mainWindowShown() const
    {
        return qobject_cast<NBMainSplitViewController *>(delegate->fakeWindowVC()->contentViewController()) != nullptr;
    }
    QJsonArray requestsTo(const QString &path) const
    {
        QJsonArray found;
        for (const QJsonValue &r : s_standin->records().value(QStringLiteral("requests")).toArray()) {
            if (r.toObject().value(QStringLiteral("path")).toString() == path)
                found.append(r);
        }
        return found;
    }
    void fillEmailForm(const QString &email, const QString &password)
    {
        emailForm()->emailTextFiled()->textFiled()->setText(email);
        emailForm()->passWordTextFiled()->textFiled()->setText(password);
    }
    // A refused sign-in: no user, no window, no success toast, the button usable again.
    void expectRefused(NBSignInFormController *form, const std::optional<QString> &toast)
    {
        QTRY_VERIFY_WITH_TIMEOUT(!form->isSigningIn(), 5000);
        // The toast goes by quickly at the tests' timing scale: read it at once.
        const QList<OOToastView *> toasts = form->findChildren<OOToastView *>();
        ASSERT_EQ(toasts.size(), toast ? 1 : 0);
        if (toast) {
            EXPECT_EQ(toasts.first()->tipLab()->text(), *toast);
        }
        EXPECT_TRUE(login->findChildren<OOToastView *>(Qt::FindDirectChildrenOnly).isEmpty());
        EXPECT_TRUE(form->signUpButton()->isEnabled());
        EXPECT_FALSE(MKUserInfoManager::shared().currentUser().has_value());
        QTest::qWait(30);
        EXPECT_FALSE(mainWindowShown());
    }

    UiTimingScope timing{0.01};
    std::unique_ptr<AppDelegate> delegate;
    QPointer<NBLoginViewController> login;
};

} // namespace

TEST_F(SignInStandinTest, EmailSignInStoresTheUserAndOpensTheMainWindow)
{
    fillEmailForm(QStringLiteral("demo@example.com"), QStringLiteral("abc12345"));
    ImageTitleButton *button = emailForm()->signUpButton();
    ASSERT_TRUE(button->isEnabled());
    button->click();
    // One press, one request: the button waits for the answer.
    EXPECT_FALSE(button->isEnabled());
    button->click();

    QTRY_VERIFY_WITH_TIMEOUT(mainWindowShown(), 8000);
    EXPECT_EQ(requestsTo(ApiPaths::kAccountLogin).size(), 1);
    const QJsonObject sent = requestsTo(ApiPaths::kAccountLogin).first().toObject().value(QStringLiteral("params")).toObject();
    EXPECT_EQ(sent.value(QStringLiteral("signType")).toString(), QStringLiteral("4"));
    EXPECT_EQ(sent.value(QStringLiteral("emailAddress")).toString(), QStringLiteral("demo@example.com"));
    EXPECT_FALSE(sent.contains(QStringLiteral("region_code")));

    const std::optional<HHUserInfo> user = MKUserInfoManager::shared().currentUser();
    ASSERT_TRUE(user.has_value());
    EXPECT_TRUE(user->hasToken());
    // Every key of the reply's record is kept, also those no model names.
    const QJsonObject stored = user->toJson();
    for (const QString &key : {QStringLiteral("kind"), QStringLiteral("exist_new_message"), QStringLiteral("proxy_session_id")})
        EXPECT_TRUE(stored.contains(key)) << key.toStdString();
    for (const QString &key : {QStringLiteral("api_token"), QStringLiteral("email_address"), QStringLiteral("user_type"), QStringLiteral("is_visitor")})
        EXPECT_TRUE(stored.value(QStringLiteral("user")).toObject().contains(key)) << key.toStdString();
}

TEST_F(SignInStandinTest, AnAnswerAfterTheTabOrTheScreenWentStillSignsIn)
{
    // The user leaves the form before the service answers: another tab, then the back button.
    for (const bool back : {false, true}) {
        SCOPED_TRACE(back ? "back" : "the phone tab");
        if (back) {
            ASSERT_TRUE(MKUserInfoManager::shared().clearUser());
            ASSERT_TRUE(s_standin->control(QJsonObject{{QStringLiteral("clear_records"), true}}));
            openLoginScreen();
        }
        ASSERT_TRUE(s_standin->fault(ApiPaths::kAccountLogin, QStringLiteral("delay"), 1, 3000));
        fillEmailForm(QStringLiteral("demo@example.com"), QStringLiteral("abc12345"));
        QPointer<NBSignInFormController> form(emailForm());
        QTest::mouseClick(form->signUpButton(), Qt::LeftButton);
        ASSERT_TRUE(form->isSigningIn());
        QTest::mouseClick(back ? login->backBtn() : login->switchAccountView()->secondSideButton(), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return form.isNull(); }, 5000));
        // Still waiting for the answer: nothing stored yet.
        ASSERT_FALSE(MKUserInfoManager::shared().currentUser().has_value());

        ASSERT_TRUE(QTest::qWaitFor([&] { return mainWindowShown(); }, 10000));
        const std::optional<HHUserInfo> user = MKUserInfoManager::shared().currentUser();
        ASSERT_TRUE(user.has_value());
        EXPECT_TRUE(user->hasToken());
        EXPECT_EQ(requestsTo(ApiPaths::kAccountLogin).size(), 1);
    }
}

TEST_F(SignInStandinTest, PhoneSignInSendsTheChosenCallingCode)
{
    login->switchAccountView()->selectButton(2);
    auto *form = qobject_cast<NBPhoneLoginViewController *>(login->currentForm());
    ASSERT_NE(form, nullptr);
    WindowInUse::setContentWidget(delegate->fakeWindowVC()->contentViewController());
    NBRegCodeView *field = form->regcodeView();
    field->click();
    ASSERT_TRUE(field->regCodeView()->isVisible());
    const QList<OOCountyCodeModel> &countries = field->regCodeView()->codeModel().countryList;
    const int row = int(std::find_if(countries.cbegin(), countries.cend(), [](const auto &c) { return c.code == 852; }) - countries.cbegin());
    field->regCodeView()->selectRow(row);
    QTRY_COMPARE_WITH_TIMEOUT(form->countryCode, std::optional<QString>(QStringLiteral("+852")), 3000);

    field->textFiled()->setText(QStringLiteral("13800000000"));
    form->passWordTextFiled()->textFiled()->setText(QStringLiteral("abc12345"));
    form->signUpButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(mainWindowShown(), 8000);
    const QJsonObject sent = requestsTo(ApiPaths::kAccountLogin).first().toObject().value(QStringLiteral("params")).toObject();
    EXPECT_EQ(sent.value(QStringLiteral("signType")).toString(), QStringLiteral("3"));
    EXPECT_EQ(sent.value(QStringLiteral("phone")).toString(), QStringLiteral("13800000000"));
    EXPECT_EQ(sent.value(QStringLiteral("region_code")).toString(), QStringLiteral("+852"));
    EXPECT_TRUE(MKUserInfoManager::shared().currentUser().has_value());
}

TEST_F(SignInStandinTest, WrongPasswordShowsTheServiceMessage)
{
    // Toasts stay up while delayed steps are held, so the test can read them.
    UiTimingScope hold{0.01, true};
    fillEmailForm(QStringLiteral("demo@example.com"), QStringLiteral("wrong1234"));
    emailForm()->signUpButton()->click();
    expectRefused(emailForm(), QStringLiteral("账号或密码错误"));
}

TEST_F(SignInStandinTest, AHostileServiceMessageIsShownAsText)
{
    // Toasts stay up while delayed steps are held, so the test can read them.
    UiTimingScope hold{0.01, true};
    s_standin->fault(ApiPaths::kAccountLogin, QStringLiteral("hostile_message"), 1);
    fillEmailForm(QStringLiteral("demo@example.com"), QStringLiteral("abc12345"));
    QTest::mouseClick(emailForm()->signUpButton(), Qt::LeftButton);
    expectRefused(emailForm(), QStringLiteral("<img src=\"/dev/zero\"><b>错误</b> 😀"));
    const QList<OOToastView *> toasts = emailForm()->findChildren<OOToastView *>();
    ASSERT_EQ(toasts.size(), 1);
    EXPECT_EQ(toasts.first()->tipLab()->textFormat(), Qt::PlainText);
}

TEST_F(SignInStandinTest, RefusalWithoutMessageIsNoSignIn)
{
    // Toasts stay up while delayed steps are held, so the test can read them.
    UiTimingScope hold{0.01, true};
    for (const QString &kind : {QStringLiteral("refuse_silent"), QStringLiteral("no_success")}) {
        s_standin->fault(ApiPaths::kAccountLogin, kind, 1);
        login->switchAccountView()->selectButton(1);
        fillEmailForm(QStringLiteral("demo@example.com"), QStringLiteral("abc12345"));
        emailForm()->signUpButton()->click();
        SCOPED_TRACE(kind.toStdString());
        expectRefused(emailForm(), OONetWorkTool::serverDataError());
    }
}

TEST_F(SignInStandinTest, AccountExceptionShowsNothingMore)
{
    // Toasts stay up while delayed steps are held, so the test can read them.
    UiTimingScope hold{0.01, true};
    s_standin->fault(ApiPaths::kAccountLogin, QStringLiteral("error101"), 1);
    fillEmailForm(QStringLiteral("demo@example.com"), QStringLiteral("abc12345"));
    emailForm()->signUpButton()->click();
    expectRefused(emailForm(), std::nullopt);
    QTRY_VERIFY_WITH_TIMEOUT(!hooks->exceptions.isEmpty(), 3000);
}

TEST_F(SignInStandinTest, ForeignFingerprintFreesTheButton)
{
    // Toasts stay up while delayed steps are held, so the test can read them.
    UiTimingScope hold{0.01, true};
    s_standin->fault(ApiPaths::kAccountLogin, QStringLiteral("wrong_etag"), 1);
    fillEmailForm(QStringLiteral("demo@example.com"), QStringLiteral("abc12345"));
    emailForm()->signUpButton()->click();
    EXPECT_FALSE(emailForm()->signUpButton()->isEnabled());
    expectRefused(emailForm(), OONetWorkTool::serverDataError());
}

TEST_F(SignInStandinTest, QrCodeThroughEveryStatus)
{
    s_standin->control(QJsonObject{{QStringLiteral("qr_manual"), true}});
    NBScanLoginView *panel = login->presentScanPanel();
    EXPECT_EQ(panel->geometry(), login->maskView()->rect());
    int signedIn = 0;
    panel->loginBlock = [&] { ++signedIn; };
    panel->start();
    QTRY_VERIFY_WITH_TIMEOUT(panel->lastStatus() == 0, 5000);
    const QJsonObject record = panel->info();
    EXPECT_EQ(record.value(QStringLiteral("platform")), QJsonValue(2));
    ASSERT_TRUE(record.value(QStringLiteral("token")).isString());
    ASSERT_FALSE(panel->qrImgView()->pixmap().isNull());
    if (canReadQRCodes()) {
        const QStringList read = readQRCodes(panel->qrImgView()->pixmap().toImage());
        ASSERT_EQ(read.size(), 1);
        const std::optional<QJsonObject> decoded = QRLoginPayload::decode(read.first());
        ASSERT_TRUE(decoded.has_value());
        EXPECT_EQ(decoded->value(QStringLiteral("token")), record.value(QStringLiteral("token")));
        EXPECT_EQ(decoded->value(QStringLiteral("platform")), QJsonValue(2));
    }

    s_standin->control(QJsonObject{{QStringLiteral("qr_step"), QStringLiteral("scan")}});
    QTRY_VERIFY_WITH_TIMEOUT(panel->overlay() == NBScanLoginView::Overlay::Scanned, 5000);
    EXPECT_TRUE(panel->isPolling());

    s_standin->control(QJsonObject{{QStringLiteral("qr_step"), QStringLiteral("confirm")}});
    QTRY_COMPARE_WITH_TIMEOUT(signedIn, 1, 5000);
    EXPECT_FALSE(panel->isPolling());
    const QJsonArray signIns = requestsTo(ApiPaths::kSignInByQRCode);
    ASSERT_EQ(signIns.size(), 1);
    EXPECT_EQ(signIns.first().toObject().value(QStringLiteral("params")).toObject().value(QStringLiteral("token")),
              record.value(QStringLiteral("token")));
    EXPECT_TRUE(MKUserInfoManager::shared().currentUser().has_value());
}

TEST_F(SignInStandinTest, AQrSignInAnsweredAfterThePanelClosedStillSignsIn)
{
    // The status polls are delayed steps, so they run.
    UiTimingScope timing{0.1};
    s_standin->control(QJsonObject{{QStringLiteral("qr_manual"), true}});
    ASSERT_TRUE(s_standin->fault(ApiPaths::kSignInByQRCode, QStringLiteral("delay"), 1, 3000));
    QTest::mouseClick(login->scanBtn(), Qt::LeftButton);
    QPointer<NBScanLoginView> panel = login->scanLoginView();
    ASSERT_FALSE(panel.isNull());
    QTRY_VERIFY_WITH_TIMEOUT(panel->lastStatus() == 0, 5000);
    s_standin->control(QJsonObject{{QStringLiteral("qr_step"), QStringLiteral("scan")}});
    s_standin->control(QJsonObject{{QStringLiteral("qr_step"), QStringLiteral("confirm")}});
    QTRY_VERIFY_WITH_TIMEOUT(panel->isSigningIn(), 5000);
    // Another way of signing in chosen while the service has not answered yet.
    QTest::mouseClick(panel->otherLoginBtn(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(panel.isNull(), 5000);
    ASSERT_FALSE(MKUserInfoManager::shared().currentUser().has_value());

    QTRY_VERIFY_WITH_TIMEOUT(mainWindowShown(), 10000);
    EXPECT_TRUE(MKUserInfoManager::shared().currentUser().has_value());
    EXPECT_EQ(requestsTo(ApiPaths::kSignInByQRCode).size(), 1);
}

TEST_F(SignInStandinTest, RefusedQrSignInShowsNothingAndLeavesThePanel)
{
    // The status polls are delayed steps, so they run.
    UiTimingScope timing{0.1};
    // Every toast shown anywhere is counted, however soon it goes again.
    struct ToastWatch : QObject
    {
        int shown = 0;
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Show && qobject_cast<OOToastView *>(watched))
                ++shown;
            return false;
        }
    } toasts;
    qApp->installEventFilter(&toasts);
    s_standin->control(QJsonObject{{QStringLiteral("qr_manual"), true}});
    s_standin->fault(ApiPaths::kSignInByQRCode, QStringLiteral("fail"), 1);
    NBScanLoginView *panel = login->presentScanPanel();
    int signedIn = 0;
    panel->loginBlock = [&] { ++signedIn; };
    panel->start();
    QTRY_VERIFY_WITH_TIMEOUT(panel->lastStatus() == 0, 5000);
    // The symbol is drawn at error correction M.
    const QString payload = QRLoginPayload::payload(panel->info()).value_or(QString());
    EXPECT_EQ(panel->qrImgView()->pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
              createQRImage(payload, panel->qrImgView()->pixmap().size(), QRErrorCorrection::M)
                  .convertToFormat(QImage::Format_ARGB32));

    s_standin->control(QJsonObject{{QStringLiteral("qr_step"), QStringLiteral("scan")}});
    QTRY_VERIFY_WITH_TIMEOUT(panel->overlay() == NBScanLoginView::Overlay::Scanned, 5000);
    s_standin->control(QJsonObject{{QStringLiteral("qr_step"), QStringLiteral("confirm")}});
    QTRY_VERIFY_WITH_TIMEOUT(requestsTo(ApiPaths::kSignInByQRCode).size() == 1, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!panel->isSigningIn(), 5000);
    QCoreApplication::processEvents();
    EXPECT_EQ(signedIn, 0);
    EXPECT_EQ(panel->overlay(), NBScanLoginView::Overlay::Scanned);
    EXPECT_EQ(toasts.shown, 0);
    qApp->removeEventFilter(&toasts);
    EXPECT_FALSE(MKUserInfoManager::shared().currentUser().has_value());
    EXPECT_FALSE(mainWindowShown());
}

TEST_F(SignInStandinTest, QrCodeExpiresRefreshesAndCancels)
{
    UiTimingScope timing{0.02};
    const int pollMs = UiTiming::ms(NBScanLoginView::kPollMs);
    s_standin->control(QJsonObject{{QStringLiteral("qr_manual"), true}});
    NBScanLoginView *panel = login->presentScanPanel();
    panel->start();
    QTRY_VERIFY_WITH_TIMEOUT(panel->lastStatus() == 0, 5000);
    const QJsonValue firstToken = panel->info().value(QStringLiteral("token"));
    // At this scale a polling panel asks again within a few periods.
    QTRY_VERIFY_WITH_TIMEOUT(requestsTo(ApiPaths::kQueryQRCode).size() >= 3, 5000);

    s_standin->control(QJsonObject{{QStringLiteral("qr_step"), QStringLiteral("expire")}});
    QTRY_VERIFY_WITH_TIMEOUT(panel->overlay() == NBScanLoginView::Overlay::Expired, 5000);
    EXPECT_FALSE(panel->isPolling());
    const int queries = requestsTo(ApiPaths::kQueryQRCode).size();
    QTest::qWait(5 * pollMs);
    EXPECT_EQ(requestsTo(ApiPaths::kQueryQRCode).size(), queries) << "still asking after the code expired";

    // Refresh: a new code, the overlay gone, polling again.
    auto *expired = panel->qrImgView()->findChild<NBQRCodeExpireView *>();
    ASSERT_NE(expired, nullptr);
    expired->refreshBtn()->click();
    QTRY_VERIFY_WITH_TIMEOUT(panel->lastStatus() == 0 && panel->isPolling(), 5000);
    EXPECT_NE(panel->info().value(QStringLiteral("token")), firstToken);
    EXPECT_EQ(panel->overlay(), NBScanLoginView::Overlay::None);

    // Cancelled on the phone: polling ends, the code stays as it was.
    s_standin->control(QJsonObject{{QStringLiteral("qr_step"), QStringLiteral("cancel")}});
    QTRY_VERIFY_WITH_TIMEOUT(panel->lastStatus() == 3, 5000);
    EXPECT_FALSE(panel->isPolling());
    EXPECT_EQ(panel->overlay(), NBScanLoginView::Overlay::None);
    EXPECT_FALSE(MKUserInfoManager::shared().currentUser().has_value());
    EXPECT_FALSE(mainWindowShown());
}

TEST_F(SignInStandinTest, RemovedPanelAsksForNothingMore)
{
    UiTimingScope timing{0.02};
    const int pollMs = UiTiming::ms(NBScanLoginView::kPollMs);
    s_standin->control(QJsonObject{{QStringLiteral("qr_manual"), true}});
    QPointer<NBScanLoginView> panel = login->presentScanPanel();
    panel->start();
    QTRY_VERIFY_WITH_TIMEOUT(panel && panel->lastStatus() == 0, 5000);
    // At this scale a polling panel asks again within a few periods.
    QTRY_VERIFY_WITH_TIMEOUT(requestsTo(ApiPaths::kQueryQRCode).size() >= 3, 5000);
    panel->otherLoginAction();
    QTRY_VERIFY_WITH_TIMEOUT(panel.isNull(), 3000);
    // The panel asks once at a time: the one query it may have sent just before the removal
    // reaches the service in the service's own time, any more would be asked after it went.
    const qsizetype queries = requestsTo(ApiPaths::kQueryQRCode).size();
    EXPECT_FALSE(QTest::qWaitFor([&] { return requestsTo(ApiPaths::kQueryQRCode).size() > queries + 1; }, 20 * pollMs))
        << "still asking after the panel went";
}

TEST_F(SignInStandinTest, SecretsStayOutOfTheLog)
{
    // Every line, also the debug ones, while a QR sign-in and a password sign-in run.
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=true"));
    MessageCapture capture;
    s_standin->control(QJsonObject{{QStringLiteral("qr_manual"), true}});
    NBScanLoginView *panel = login->presentScanPanel();
    bool qrSignedIn = false;
    panel->loginBlock = [&] { qrSignedIn = true; };
    panel->start();
    QTRY_VERIFY_WITH_TIMEOUT(panel->lastStatus() == 0, 5000);
    const QString qrToken = panel->info().value(QStringLiteral("token")).toString();
    const QString payload = QRLoginPayload::payload(panel->info()).value_or(QString());
    s_standin->control(QJsonObject{{QStringLiteral("qr_step"), QStringLiteral("confirm")}});
    QTRY_VERIFY_WITH_TIMEOUT(qrSignedIn, 5000);
    const QString qrApiToken = MKUserInfoManager::shared().currentUser()->user->apiToken.value_or(QString());
    panel->otherLoginAction();

    ASSERT_TRUE(MKUserInfoManager::shared().clearUser());
    fillEmailForm(QStringLiteral("demo@example.com"), QStringLiteral("abc12345"));
    emailForm()->signUpButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(MKUserInfoManager::shared().currentUser().has_value(), 8000);
    const QString apiToken = MKUserInfoManager::shared().currentUser()->user->apiToken.value_or(QString());
    QTRY_VERIFY_WITH_TIMEOUT(mainWindowShown(), 5000);
    QLoggingCategory::setFilterRules(QString());

    ASSERT_FALSE(capture.messages().isEmpty());
    for (const QString &secret : {QStringLiteral("abc12345"), apiToken, qrApiToken, qrToken, payload}) {
        ASSERT_FALSE(secret.isEmpty());
        EXPECT_FALSE(capture.contains(secret)) << "a log line holds a secret";
    }
}
