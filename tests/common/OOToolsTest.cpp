#include "common/OOTools.h"

#include <gtest/gtest.h>

namespace {

TEST(OOToolsTest, EmailNeedsAThreeOrFourLetterTopLevelPart)
{
    EXPECT_TRUE(OOTools::isValidEmail(QStringLiteral("user.name+tag@example.com")));
    EXPECT_TRUE(OOTools::isValidEmail(QStringLiteral("A_B%c-d@mail.sub-domain.info")));
    EXPECT_TRUE(OOTools::isValidEmail(QStringLiteral("x@y.z.abc")));

    EXPECT_FALSE(OOTools::isValidEmail(QString()));
    EXPECT_FALSE(OOTools::isValidEmail(QStringLiteral("user@example.cn")));     // two letters: refused on purpose
    EXPECT_FALSE(OOTools::isValidEmail(QStringLiteral("user@example.travel"))); // five letters
    EXPECT_FALSE(OOTools::isValidEmail(QStringLiteral("userexample.com")));
    EXPECT_FALSE(OOTools::isValidEmail(QStringLiteral("user@example.com ")));   // whole text must match
    EXPECT_FALSE(OOTools::isValidEmail(QStringLiteral(" user@example.com")));
    EXPECT_FALSE(OOTools::isValidEmail(QStringLiteral("user@example.com\n")));
    EXPECT_FALSE(OOTools::isValidEmail(QStringLiteral("us er@example.com")));
    EXPECT_FALSE(OOTools::isValidEmail(QStringLiteral("用户@example.com")));
    EXPECT_FALSE(OOTools::isValidEmail(QStringLiteral("user@example.c0m")));
}

TEST(OOToolsTest, PasswordIsEightToSixteenMixedLettersAndDigits)
{
    EXPECT_TRUE(OOTools::isValidPassword(QStringLiteral("abcd1234")));
    EXPECT_TRUE(OOTools::isValidPassword(QStringLiteral("A1b2C3d4E5f6G7h8"))); // 16
    EXPECT_FALSE(OOTools::isValidPassword(QStringLiteral("abc1234")));           // 7
    EXPECT_FALSE(OOTools::isValidPassword(QStringLiteral("A1b2C3d4E5f6G7h8i"))); // 17
    EXPECT_FALSE(OOTools::isValidPassword(QStringLiteral("12345678")));          // digits only
    EXPECT_FALSE(OOTools::isValidPassword(QStringLiteral("abcdefgh")));          // letters only
    EXPECT_FALSE(OOTools::isValidPassword(QStringLiteral("abcd_1234")));         // other character
    EXPECT_FALSE(OOTools::isValidPassword(QStringLiteral("abcd1234\n")));
    EXPECT_FALSE(OOTools::isValidPassword(QStringLiteral("äbcd1234")));
    EXPECT_FALSE(OOTools::isValidPassword(QString()));
}

TEST(OOToolsTest, PhoneCountsUserPerceivedCharactersAndNeedsADigit)
{
    EXPECT_TRUE(OOTools::isValidPhone(QStringLiteral("13800138")));           // 8
    EXPECT_TRUE(OOTools::isValidPhone(QStringLiteral("123456789012345678"))); // 18
    EXPECT_TRUE(OOTools::isValidPhone(QStringLiteral("+86 138-0013")));       // no format check
    EXPECT_TRUE(OOTools::isValidPhone(QStringLiteral("abcdefg1")));
    EXPECT_FALSE(OOTools::isValidPhone(QString()));
    EXPECT_FALSE(OOTools::isValidPhone(QStringLiteral("1380013")));             // 7
    EXPECT_FALSE(OOTools::isValidPhone(QStringLiteral("1234567890123456789"))); // 19
    EXPECT_FALSE(OOTools::isValidPhone(QStringLiteral("abcdefgh")));            // no digit

    // Seven digits and one flag: eight characters for a person, though many more code units.
    const QString flag = QStringLiteral("\U0001F1E8\U0001F1F3");
    EXPECT_EQ(OOTools::userPerceivedLength(flag), 1);
    EXPECT_TRUE(OOTools::isValidPhone(QStringLiteral("1234567") + flag));
    // Eighteen digits with combining marks are still eighteen characters.
    QString marked;
    for (int i = 0; i < 18; ++i)
        marked += QStringLiteral("1\u0301");
    EXPECT_TRUE(OOTools::isValidPhone(marked));
    EXPECT_FALSE(OOTools::isValidPhone(marked + QStringLiteral("1")));
}

TEST(OOToolsTest, CodeIsExactlySixDigits)
{
    EXPECT_TRUE(OOTools::isValidCode(QStringLiteral("123456")));
    EXPECT_TRUE(OOTools::isValidCode(QStringLiteral("000000")));
    EXPECT_FALSE(OOTools::isValidCode(QStringLiteral("12345")));
    EXPECT_FALSE(OOTools::isValidCode(QStringLiteral("1234567")));
    EXPECT_FALSE(OOTools::isValidCode(QStringLiteral("12345a")));
    EXPECT_FALSE(OOTools::isValidCode(QStringLiteral("123456\n")));
    EXPECT_FALSE(OOTools::isValidCode(QStringLiteral(" 123456")));
    EXPECT_FALSE(OOTools::isValidCode(QString()));
}

} // namespace
