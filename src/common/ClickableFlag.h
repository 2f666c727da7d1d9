#pragma once

#include <optional>

class QObject;

// The optional click flag any button may carry (`NSButton.isClickable`): the account forms set it
// false while a resend countdown runs and true when it ends, and a button that honours it ignores
// clicks while it is false. Unset means "no opinion", which such a button treats as clickable.
//
// Kept as a dynamic property on the object itself, so it lives and dies with the button and
// needs no widget code here.
class ClickableFlag
{
public:
    // Unset when nothing is stored or what is stored is not a Boolean.
    static std::optional<bool> isClickable(const QObject *button);
    // Stores the Boolean, or clears the flag for an unset value.
    static void setIsClickable(QObject *button, std::optional<bool> clickable);

private:
    ClickableFlag() = delete;
};
