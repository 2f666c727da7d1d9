#include "uikit/TextFieldKeyEquivalents.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

const char *const kInstalledName = "TextFieldKeyEquivalents";

} // namespace

TextFieldKeyEquivalents::TextFieldKeyEquivalents(QObject *parent)
    : QObject(parent)
{
    setObjectName(QLatin1String(kInstalledName));
}

void TextFieldKeyEquivalents::install(QCoreApplication *application)
{
    if (!application || application->findChild<TextFieldKeyEquivalents *>(QLatin1String(kInstalledName), Qt::FindDirectChildrenOnly))
        return;
    application->installEventFilter(new TextFieldKeyEquivalents(application));
}

bool TextFieldKeyEquivalents::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *field = qobject_cast<QLineEdit *>(watched);
    if (!field)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    // Exactly Escape: with any modifier held the field handles the key as usual.
    if (key->key() != Qt::Key_Escape || key->modifiers() != Qt::NoModifier)
        return false;
    field->clearFocus();
    return true;
}
