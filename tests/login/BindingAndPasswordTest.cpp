// Binding and changing the password against the stand-in service: the stored user is patched in
// place (token and unknown keys kept), a refused binding changes nothing, local checks stop bad
// passwords, and a changed password is the one that signs in afterwards.
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include "AccountStandinFixture.h"
#include "AccountScreenInWindow.h"
#include "AccountTestSupport.h"
#include "uikit/FNHUD.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBDisableButton.h"
#include "uikit/NBSecureTextView.h"
#include "uikit/OOToastView.h"
#include "uikit/UiTiming.h"
#include "common/ApiPaths.h"
#include "login/account/NBAccountInfoViewController.h"
#include "login/account/NBAccountSetTimerView.h"
#include "login/account/NBBindAccountViewController.h"
#include "login/account/NBChangePassWordViewController.h"
#include "login/code/NBRegCodeView.h"
#include "login/form/NBTextFiledContentView.h"
#include "login/code/NBVerityCodeContentView.h"
#include "login/code/NBVerityCodeView.h"
#include "login/code/NBVerityCodeViewController.h"
#include "common/Localization.h"
#include "support/NetworkTestSupport.h"
#include "networking/OONetWorkTool.h"
#include "support/StandinProcess.h"

namespace {

class BindingTest : public AccountStandinFixture
{
protected:
    // The stored record with the keys the client does not model added, so the test sees them kept.
    void markStoredRecord()
    {
        auto stored = MKUserInfoManager::shared().currentUser();
        ASSERT_TRUE(stored && stored->user);
        QJsonObject data = stored->toJson();
        QJsonObject user = data.value(QStringLiteral("user")).toObject();
        user.insert(QStringLiteral("future_field"), QStringLiteral("kept"));
        data.insert(QStringLiteral("user"), user);
        data.insert(QStringLiteral("top_level_extra"), 7);
        ASSERT_TRUE(MKUserInfoManager::shared().saveUser(data));
        m_token = stored->user->apiToken.value_or(QString());
        ASSERT_FALSE(m_token.isEmpty());
    }
    QJsonObject storedUserJson() const
    {
        return MKUserInfoManager::shared().currentUser()->toJson();
    }

    // The binding screen presented over an account screen, as the account rows present it.
    NBBindAccountViewController *presentBinding(BindAccountType type)
    {
        m_host = std::make_unique<AccountScreenInWindow>();
        m_account = m_host->get();
        for (int row = 0; row < m_account->data().size(); ++row) {
            const NBSettingCellItem &item = m_account->data()[row];
            const bool wanted = type == BindAccountType::email ? item.cellType == NBSettingCellType::email
                                                               : item.cellType == NBSettingCellType::phone;
            if (wanted && !item.infoHasSet)
                m_account->selectRow(row);
        }
        if (m_account->presentations().size() != 1)
            return nullptr;
        return qobject_cast<NBBindAccountViewController *>(m_account->presentations().first());
    }

    int requestsTo(const QString &path) const
    {
        int count = 0;
        for (const QJsonValue &value : m_standin.records().value(QStringLiteral("requests")).toArray())
            count += value.toObject().value(QStringLiteral("path")).toString() == path ? 1 : 0;
        return count;
    }

    std::unique_ptr<AccountScreenInWindow> m_host;
    NBAccountInfoViewController *m_account = nullptr;
    QString m_token;
};

QString lastToastText(QWidget *host)
{
    const auto toasts = host->findChildren<OOToastView *>();
    return toasts.isEmpty() ? QString() : toasts.last()->tipLab()->text();
}

// Types the demo code into the code screen's six boxes, one digit each, as a user does.
void typeCode(NBVerityCodeViewController &screen)
{
    const QString code = QStringLiteral("123456");
    const QList<QLineEdit *> boxes = screen.codeView()->boxes();
    ASSERT_EQ(boxes.size(), 6);
    for (int i = 0; i < 6; ++i)
        QTest::keyClicks(boxes.at(i), code.mid(i, 1));
    ASSERT_EQ(screen.verityCode(), code);
}

} // namespace

TEST_F(BindingTest, BindingAnEmailKeepsTheTokenAndEveryOtherKey)
{
    ASSERT_TRUE(signIn({{QStringLiteral("signType"), QStringLiteral("3")}, {QStringLiteral("phone"), QStringLiteral("13800000000")},
                        {QStringLiteral("password"), QStringLiteral("abc12345")}, {QStringLiteral("region_code"), QStringLiteral("86")}}));
    markStoredRecord();
    NBBindAccountViewController *bind = presentBinding(BindAccountType::email);
    ASSERT_NE(bind, nullptr);
    EXPECT_TRUE(bind->isBind());                 // a phone is bound: no password asked
    EXPECT_EQ(bind->passWordContentView(), nullptr);
    EXPECT_TRUE(bind->bottemLabel()->isHidden());
    EXPECT_FALSE(bind->bindView()->button()->isEnabled());

    // The code request: a success starts the countdown on the send button.
    bind->contentView()->textFiled()->setText(QStringLiteral("new@example.com"));
    NBDisableButton *send = bind->verityCodeView()->verityCodeButton();
    bind->codeButtonClicked(send);
    ACCOUNT_WAIT(!send->isClickable(), 10000);

    bind->verityCodeView()->textFiled()->setText(QStringLiteral("123456"));
    EXPECT_TRUE(bind->bindView()->button()->isEnabled());
    QPointer<NBBindAccountViewController> guard(bind);
    bind->bindView()->accountAction();
    ACCOUNT_WAIT(m_account->presentations().isEmpty(), 10000);

    const QJsonObject stored = storedUserJson();
    const QJsonObject user = stored.value(QStringLiteral("user")).toObject();
    EXPECT_EQ(user.value(QStringLiteral("email_address")).toString(), QStringLiteral("new@example.com"));
    EXPECT_EQ(user.value(QStringLiteral("api_token")).toString(), m_token);
    EXPECT_EQ(user.value(QStringLiteral("future_field")).toString(), QStringLiteral("kept"));
    EXPECT_EQ(user.value(QStringLiteral("phone")).toString(), QStringLiteral("13800000000"));
    EXPECT_EQ(stored.value(QStringLiteral("top_level_extra")).toInt(), 7);
    // The account screen appears again with the address bound and says so.
    EXPECT_TRUE(m_account->emailHasSet());
    EXPECT_EQ(lastToastText(m_account), QStringLiteral("绑定邮箱地址成功"));
}

TEST_F(BindingTest, VisitorBindsAPhoneWithAPasswordThatFollowsTheRule)
{
    ASSERT_TRUE(signIn({{QStringLiteral("signType"), QStringLiteral("1")}}));
    markStoredRecord();
    NBBindAccountViewController *bind = presentBinding(BindAccountType::phone);
    ASSERT_NE(bind, nullptr);
    EXPECT_FALSE(bind->isBind());
    ASSERT_NE(bind->passWordContentView(), nullptr);
    bind->regcodeView()->textFiled()->setText(QStringLiteral("13900001111"));
    bind->verityCodeView()->textFiled()->setText(QStringLiteral("123456"));
    bind->passWordContentView()->textFiled()->setText(QStringLiteral("abc12345"));
    EXPECT_FALSE(bind->bindView()->button()->isEnabled());

    // Different entries, then a password the sign-in forms would refuse: nothing is sent.
    bind->passWordAgainContentView()->textFiled()->setText(QStringLiteral("abc12346"));
    EXPECT_TRUE(bind->bindView()->button()->isEnabled());
    bind->bindAccount();
    EXPECT_EQ(lastToastText(bind), QStringLiteral("密码不一致"));
    bind->passWordContentView()->textFiled()->setText(QStringLiteral("12345678"));
    bind->passWordAgainContentView()->textFiled()->setText(QStringLiteral("12345678"));
    bind->bindAccount();
    EXPECT_EQ(lastToastText(bind), QStringLiteral("密码格式不对"));

    bind->passWordContentView()->textFiled()->setText(QStringLiteral("abc12345"));
    bind->passWordAgainContentView()->textFiled()->setText(QStringLiteral("abc12345"));
    bind->bindAccount();
    ACCOUNT_WAIT(m_account->presentations().isEmpty(), 10000);
    const QJsonObject user = storedUserJson().value(QStringLiteral("user")).toObject();
    EXPECT_EQ(user.value(QStringLiteral("phone")).toString(), QStringLiteral("13900001111"));
    EXPECT_EQ(user.value(QStringLiteral("region_code")).toString(), QStringLiteral("+86"));
    EXPECT_EQ(user.value(QStringLiteral("api_token")).toString(), m_token);
    EXPECT_EQ(user.value(QStringLiteral("future_field")).toString(), QStringLiteral("kept"));
    EXPECT_EQ(requestsTo(ApiPaths::kBoundAccount), 1);   // the refused entries sent nothing

    // The bound phone signs in with the password chosen here.
    ASSERT_TRUE(MKUserInfoManager::shared().clearUser());
    EXPECT_TRUE(signIn({{QStringLiteral("signType"), QStringLiteral("3")}, {QStringLiteral("phone"), QStringLiteral("13900001111")},
                        {QStringLiteral("password"), QStringLiteral("abc12345")}, {QStringLiteral("region_code"), QStringLiteral("+86")}}));
}

TEST_F(BindingTest, RefusedBindingChangesNothingAndASlowCodeReplyStillCounts)
{
    ASSERT_TRUE(signIn({{QStringLiteral("signType"), QStringLiteral("4")}, {QStringLiteral("emailAddress"), QStringLiteral("demo@example.com")},
                        {QStringLiteral("password"), QStringLiteral("abc12345")}}));
    markStoredRecord();
    const QJsonObject before = storedUserJson();
    NBBindAccountViewController *bind = presentBinding(BindAccountType::phone);
    ASSERT_NE(bind, nullptr);
    bind->regcodeView()->textFiled()->setText(QStringLiteral("13900002222"));
    bind->verityCodeView()->textFiled()->setText(QStringLiteral("000000"));
    bind->bindAccount();
    ACCOUNT_WAIT((lastToastText(bind)) == (QStringLiteral("验证码错误")), 10000);
    EXPECT_EQ(m_account->presentations().size(), 1);
    EXPECT_EQ(storedUserJson(), before);

    // A refused code request starts no countdown.
    m_standin.control({{QStringLiteral("faults"), QJsonArray{QJsonObject{{QStringLiteral("path"), ApiPaths::kSendRegisterCode},
                                                                          {QStringLiteral("kind"), QStringLiteral("fail")}}}}});
    NBDisableButton *send = bind->verityCodeView()->verityCodeButton();
    bind->codeButtonClicked(send);
    ACCOUNT_WAIT(FNHUD::shownViews().isEmpty(), 10000);
    EXPECT_TRUE(send->isClickable());

    // A slow success keeps the HUD up until it comes, and then counts: the countdown starts.
    m_standin.fault(ApiPaths::kSendRegisterCode, QStringLiteral("delay"), -1, 1500);
    bind->codeButtonClicked(send);
    EXPECT_FALSE(FNHUD::shownViews().isEmpty());
    ACCOUNT_WAIT(!send->isClickable(), 10000);
    EXPECT_TRUE(FNHUD::shownViews().isEmpty());
    EXPECT_EQ(lastToastText(bind), localizedByAppLanguage(QStringLiteral("HAS_ENTER_YZM_PHONE")));
    EXPECT_EQ(storedUserJson(), before);
}

TEST_F(BindingTest, ChangePasswordThenSignInWithTheNewOne)
{
    const QJsonObject demo{{QStringLiteral("signType"), QStringLiteral("4")},
                           {QStringLiteral("emailAddress"), QStringLiteral("demo@example.com")},
                           {QStringLiteral("password"), QStringLiteral("abc12345")}};
    ASSERT_TRUE(signIn(demo));
    const QJsonObject before = storedUserJson();
    m_host = std::make_unique<AccountScreenInWindow>();
    m_account = m_host->get();
    m_account->selectRow(3);
    ASSERT_EQ(m_account->presentations().size(), 1);
    auto *change = qobject_cast<NBChangePassWordViewController *>(m_account->presentations().first());
    ASSERT_NE(change, nullptr);

    change->oldPassWordContentView()->textFiled()->setText(QStringLiteral("abc12345"));
    change->passWordContentView()->textFiled()->setText(QStringLiteral("xyz98765"));
    EXPECT_FALSE(change->bindView()->button()->isEnabled());
    change->passWordAgainContentView()->textFiled()->setText(QStringLiteral("xyz98764"));
    EXPECT_TRUE(change->bindView()->button()->isEnabled());
    change->bindView()->accountAction();
    EXPECT_EQ(lastToastText(m_account), QStringLiteral("密码不一致"));
    change->passWordAgainContentView()->textFiled()->setText(QStringLiteral("98765432"));
    change->passWordContentView()->textFiled()->setText(QStringLiteral("98765432"));
    change->bindView()->accountAction();
    EXPECT_EQ(lastToastText(m_account), QStringLiteral("密码格式不对"));

    // A wrong current password: the service's words, the screen stays.
    change->oldPassWordContentView()->textFiled()->setText(QStringLiteral("wrong1234"));
    change->passWordContentView()->textFiled()->setText(QStringLiteral("xyz98765"));
    change->passWordAgainContentView()->textFiled()->setText(QStringLiteral("xyz98765"));
    change->bindView()->accountAction();
    ACCOUNT_WAIT((lastToastText(m_account)) == (QStringLiteral("原密码错误")), 10000);
    EXPECT_EQ(m_account->presentations().size(), 1);

    change->oldPassWordContentView()->textFiled()->setText(QStringLiteral("abc12345"));
    change->bindView()->accountAction();
    ACCOUNT_WAIT(m_account->presentations().isEmpty(), 10000);
    EXPECT_EQ(storedUserJson(), before);   // nothing else of the client changes
    EXPECT_EQ(requestsTo(ApiPaths::kUpdatePassword), 2);   // the wrong current one and this one

    ASSERT_TRUE(MKUserInfoManager::shared().clearUser());
    EXPECT_FALSE(signIn(demo));
    QJsonObject fresh = demo;
    fresh.insert(QStringLiteral("password"), QStringLiteral("xyz98765"));
    EXPECT_TRUE(signIn(fresh));
}

TEST_F(BindingTest, CodeScreenBindTellsTheUserAndLeavesTheStoredUserAsItIs)
{
    ASSERT_TRUE(signIn({{QStringLiteral("signType"), QStringLiteral("3")}, {QStringLiteral("phone"), QStringLiteral("13800000000")},
                        {QStringLiteral("password"), QStringLiteral("abc12345")}, {QStringLiteral("region_code"), QStringLiteral("86")}}));
    const QJsonObject before = storedUserJson();
    NBVerityCodeViewController screen(VerityCodeType::bindEmail, QStringLiteral("bound@example.com"), QStringLiteral("abc12345"),
                                      std::nullopt);
    screen.ensureLoaded();
    typeCode(screen);
    screen.continueAction();
    ACCOUNT_WAIT(lastToastText(&screen) == localizedByAppLanguage(QStringLiteral("BAIND_PHONE_SUCCESS")), 10000);
    EXPECT_EQ(requestsTo(ApiPaths::kBoundAccount), 1);
    EXPECT_EQ(storedUserJson(), before);
}

TEST_F(BindingTest, CodeScreenRegistersOnlyAPasswordTheRuleAcceptsAndThenSignsIn)
{
    NBVerityCodeViewController weak(VerityCodeType::registerEmail, QStringLiteral("fresh@example.com"), QStringLiteral("12345678"),
                                    std::nullopt);
    weak.ensureLoaded();
    typeCode(weak);
    weak.continueAction();
    EXPECT_EQ(lastToastText(&weak), QStringLiteral("密码格式不对"));
    QTest::qWait(50);
    EXPECT_EQ(requestsTo(ApiPaths::kAccountRegister), 0);

    const int signInsBefore = requestsTo(ApiPaths::kAccountLogin);
    NBVerityCodeViewController screen(VerityCodeType::registerEmail, QStringLiteral("fresh@example.com"), QStringLiteral("abc12345"),
                                      std::nullopt);
    screen.ensureLoaded();
    typeCode(screen);
    screen.continueAction();
    ACCOUNT_WAIT(requestsTo(ApiPaths::kAccountRegister) == 1, 10000);
    ACCOUNT_WAIT(requestsTo(ApiPaths::kAccountLogin) == signInsBefore + 1, 10000);
    const auto stored = MKUserInfoManager::shared().currentUser();
    ASSERT_TRUE(stored && stored->user);
    EXPECT_EQ(stored->user->emailAdress, QStringLiteral("fresh@example.com"));
}
