#include "common/ClickableFlag.h"

#include <QObject>
#include <QVariant>

namespace {

// A name no Qt class uses for a property of its own.
constexpr const char *kPropertyName = "ostrel_isClickable";

} // namespace

std::optional<bool> ClickableFlag::isClickable(const QObject *button)
{
    if (!button)
        return std::nullopt;
    const QVariant stored = button->property(kPropertyName);
    if (stored.typeId() != QMetaType::Bool)
        return std::nullopt;
    return stored.toBool();
}

void ClickableFlag::setIsClickable(QObject *button, std::optional<bool> clickable)
{
    if (!button)
        return;
    // An invalid QVariant removes a dynamic property.
    button->setProperty(kPropertyName, clickable ? QVariant(*clickable) : QVariant());
}
