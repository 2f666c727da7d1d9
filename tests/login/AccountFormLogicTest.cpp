// What the registration and retrieval forms check before sending, and what they send.
#include <QJsonObject>

#include <gtest/gtest.h>

#include "common/Localization.h"
#include "login/form/AccountFormLogic.h"

namespace {

using Problem = AccountFormLogic::Problem;

QString text(const char *key)
{
    return localizedByAppLanguage(QString::fromUtf8(key));
}

void expectError(const std::optional<Problem> &problem, const char *key)
{
    ASSERT_TRUE(problem.has_value()) << key;
    EXPECT_EQ(problem->toast, Problem::Toast::Error) << key;
    EXPECT_EQ(problem->text, text(key));
}

const QString kGood = QStringLiteral("abc12345");

} // namespace

TEST(AccountFormLogicTest, PhoneRegistrationChecksInItsOrder)
{
    // The phone comes first, even with both passwords empty.
    expectError(AccountFormLogic::checkPhoneRegistration({}, {}, {}), "PLEASE_ENTER_YOUR_MOBLE_PHONE");
    expectError(AccountFormLogic::checkPhoneRegistration(QStringLiteral("1380000"), {}, {}), "ENTER_PHONE_ACCOUNT_ERROR");
    const QString phone = QStringLiteral("13800000001");
    expectError(AccountFormLogic::checkPhoneRegistration(phone, {}, kGood), "PLEASE_ENTER_PWD");
    expectError(AccountFormLogic::checkPhoneRegistration(phone, kGood, {}), "PLEASE_ENTER_PWD");
    expectError(AccountFormLogic::checkPhoneRegistration(phone, kGood, QStringLiteral("abc12346")),
                "REGISTER_EMAIL_PWD_NOT_THE_SAME");
    expectError(AccountFormLogic::checkPhoneRegistration(phone, QStringLiteral("12345678"), QStringLiteral("12345678")),
                "PLEASE_ENTER_CURRENT_PASSWORD");
    EXPECT_FALSE(AccountFormLogic::checkPhoneRegistration(phone, kGood, kGood).has_value());
}

TEST(AccountFormLogicTest, EmailRegistrationChecksThePasswordsToo)
{
    // The address rule stays as it is: a final label of three or four letters.
    expectError(AccountFormLogic::checkEmailRegistration(QStringLiteral("a@b.cn"), kGood, kGood), "ENTER_PHONE_ACCOUNT_ERROR");
    expectError(AccountFormLogic::checkEmailRegistration({}, kGood, kGood), "ENTER_PHONE_ACCOUNT_ERROR");
    const QString email = QStringLiteral("new@example.com");
    expectError(AccountFormLogic::checkEmailRegistration(email, kGood, QStringLiteral("abc1234")),
                "REGISTER_EMAIL_PWD_NOT_THE_SAME");
    expectError(AccountFormLogic::checkEmailRegistration(email, QStringLiteral("abcdefgh"), QStringLiteral("abcdefgh")),
                "PLEASE_ENTER_CURRENT_PASSWORD");
    expectError(AccountFormLogic::checkEmailRegistration(email, QStringLiteral("abc123"), QStringLiteral("abc123")),
                "PLEASE_ENTER_CURRENT_PASSWORD");
    EXPECT_FALSE(AccountFormLogic::checkEmailRegistration(email, kGood, kGood).has_value());
}

TEST(AccountFormLogicTest, RetrievalWarnsOnDifferentPasswordsThenAppliesTheRule)
{
    const std::optional<Problem> differ = AccountFormLogic::checkRetrieval(kGood, QStringLiteral("abc12346"));
    ASSERT_TRUE(differ.has_value());
    EXPECT_EQ(differ->toast, Problem::Toast::Warn);
    EXPECT_EQ(differ->text, text("密码不一致"));
    expectError(AccountFormLogic::checkRetrieval(QStringLiteral("short1"), QStringLiteral("short1")),
                "PLEASE_ENTER_CURRENT_PASSWORD");
    expectError(AccountFormLogic::checkRetrieval(QStringLiteral("abc_12345"), QStringLiteral("abc_12345")),
                "PLEASE_ENTER_CURRENT_PASSWORD");
    EXPECT_FALSE(AccountFormLogic::checkRetrieval(kGood, kGood).has_value());

    expectError(AccountFormLogic::checkRetrievalEmailForCode({}), "PLEASE_ENTER_YOUR_EMAIL_ADRESS");
    expectError(AccountFormLogic::checkRetrievalEmailForCode(QStringLiteral("nobody")), "ENTER_PHONE_ACCOUNT_ERROR");
    expectError(AccountFormLogic::checkRetrievalPhoneForCode({}), "PLEASE_ENTER_YOUR_MOBLE_PHONE");
    expectError(AccountFormLogic::checkRetrievalPhoneForCode(QStringLiteral("1380000")), "ENTER_PHONE_ACCOUNT_ERROR");
    EXPECT_FALSE(AccountFormLogic::checkRetrievalPhoneForCode(QStringLiteral("13800000")).has_value());
}

TEST(AccountFormLogicTest, ParametersKeepTheServiceSpellingsAndTypes)
{
    const QJsonObject emailCode = AccountFormLogic::emailCodeParams(AccountFormLogic::Registration, QStringLiteral("a@b.com"));
    EXPECT_TRUE(emailCode.value(QStringLiteral("register_type")).isDouble());
    EXPECT_EQ(emailCode.value(QStringLiteral("register_type")).toInt(), 0);
    EXPECT_EQ(emailCode.value(QStringLiteral("emailAdress")).toString(), QStringLiteral("a@b.com"));
    EXPECT_FALSE(emailCode.contains(QStringLiteral("emailAddress")));

    const QJsonObject phoneCode = AccountFormLogic::phoneCodeParams(AccountFormLogic::Retrieval, QStringLiteral("+44"), {});
    EXPECT_EQ(phoneCode.value(QStringLiteral("register_type")).toInt(), 1);
    EXPECT_EQ(phoneCode.value(QStringLiteral("region_code")).toString(), QStringLiteral("+44"));
    EXPECT_EQ(phoneCode.value(QStringLiteral("phone")).toString(), QString());

    const QJsonObject email = AccountFormLogic::emailRegisterParams(QStringLiteral("123456"), QStringLiteral("a@b.com"), kGood, {});
    EXPECT_EQ(email.value(QStringLiteral("emailAddress")).toString(), QStringLiteral("a@b.com"));
    EXPECT_FALSE(email.contains(QStringLiteral("invitation_code")));
    const QJsonObject phone = AccountFormLogic::phoneRegisterParams(QStringLiteral("123456"), QStringLiteral("+86"),
                                                                    QStringLiteral("13800000001"), kGood, QStringLiteral(" inv "));
    EXPECT_EQ(phone.value(QStringLiteral("invitation_code")).toString(), QStringLiteral(" inv "));
    EXPECT_EQ(phone.value(QStringLiteral("region_code")).toString(), QStringLiteral("+86"));

    const QJsonObject reset = AccountFormLogic::phoneResetParams(QStringLiteral("123456"), QStringLiteral("+86"),
                                                                 QStringLiteral("13800000001"), kGood, kGood);
    EXPECT_TRUE(reset.value(QStringLiteral("register_type")).isDouble());
    EXPECT_EQ(reset.value(QStringLiteral("account")).toString(), QStringLiteral("13800000001"));
    EXPECT_FALSE(AccountFormLogic::emailResetParams({}, QStringLiteral("a@b.com"), kGood, kGood).contains(QStringLiteral("region_code")));

}

TEST(AccountFormLogicTest, ButtonsNeedEveryFieldButSpacesCount)
{
    EXPECT_TRUE(AccountFormLogic::allFilled({QStringLiteral(" "), QStringLiteral("x")}));
    EXPECT_FALSE(AccountFormLogic::allFilled({QStringLiteral("x"), QString()}));
}
