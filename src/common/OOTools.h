#pragma once

#include <QString>

// Input rules of the account forms. Each rule must match the whole text.
class OOTools
{
public:
    // Letters, digits and "._%+-", "@", a domain of letters, digits, "." and "-", a dot and three
    // or four ASCII letters. Two-letter top-level domains are refused on purpose.
    static bool isValidEmail(const QString &text);
    // 8 to 16 ASCII letters and digits, not all digits and not all letters.
    static bool isValidPassword(const QString &text);
    // 8 to 18 user-perceived characters with at least one digit.
    static bool isValidPhone(const QString &text);
    // Exactly six digits.
    static bool isValidCode(const QString &text);

    // Number of user-perceived characters (grapheme clusters), as a person would count them.
    static int userPerceivedLength(const QString &text);
};
