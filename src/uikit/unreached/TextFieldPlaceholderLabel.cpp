#include "uikit/unreached/TextFieldPlaceholderLabel.h"
#include "uikit/UiLog.h"

#include <QDebug>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

constexpr auto kWatcherName = "x_placeholderLabel";

} // namespace

TextFieldPlaceholderLabel::TextFieldPlaceholderLabel(QLineEdit *field)
    : QObject(field)
    , m_field(field)
{
    setObjectName(QLatin1String(kWatcherName));
    // The user's edits only, as the label is about what the user left in the field.
    connect(field, &QLineEdit::textEdited, this, &TextFieldPlaceholderLabel::x_textChangeWithNoti);
}

TextFieldPlaceholderLabel *TextFieldPlaceholderLabel::of(const QLineEdit *field)
{
    if (!field)
        return nullptr;
    return field->findChild<TextFieldPlaceholderLabel *>(QLatin1String(kWatcherName), Qt::FindDirectChildrenOnly);
}

QLabel *TextFieldPlaceholderLabel::x_placeholderLabel(QLineEdit *field)
{
    if (!field)
        return nullptr;
    if (TextFieldPlaceholderLabel *watcher = of(field); watcher && watcher->m_label)
        return watcher->m_label;
    auto *label = new QLabel;
    label->setTextFormat(Qt::PlainText);
    label->setFont(field->font());
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(12, 26, 38));
    label->setPalette(palette);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setX_placeholderLabel(field, label);
    return label;
}

void TextFieldPlaceholderLabel::setX_placeholderLabel(QLineEdit *field, QLabel *label)
{
    if (!field || !label)
        return;
    TextFieldPlaceholderLabel *watcher = of(field);
    if (!watcher)
        watcher = new TextFieldPlaceholderLabel(field);
    watcher->attach(label);
}

void TextFieldPlaceholderLabel::setX_placeholderText(QLineEdit *field, const QString &text)
{
    if (!field)
        return;
    TextFieldPlaceholderLabel *watcher = of(field);
    if (!watcher)
        watcher = new TextFieldPlaceholderLabel(field);
    watcher->m_text = text;
}

QString TextFieldPlaceholderLabel::x_placeholderText(const QLineEdit *field)
{
    const TextFieldPlaceholderLabel *watcher = of(field);
    return watcher ? watcher->m_text : QString();
}

void TextFieldPlaceholderLabel::attach(QLabel *label)
{
    if (m_label == label)
        return;
    // A label replaced later is shown in the field too, not only the first one.
    if (m_label)
        m_label->deleteLater();
    m_label = label;
    label->setParent(m_field);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setGeometry(m_field->rect().adjusted(2, 7, 0, 0));
    label->show();
    m_field->installEventFilter(this);
}

bool TextFieldPlaceholderLabel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field && event->type() == QEvent::Resize && m_label)
        m_label->setGeometry(m_field->rect().adjusted(2, 7, 0, 0));
    return QObject::eventFilter(watched, event);
}

void TextFieldPlaceholderLabel::x_textChangeWithNoti()
{
    const bool empty = m_field->text().isEmpty();
    // Whether it is empty, never the value: the field may hold a password.
    qCDebug(lcUi).noquote() << "text:" << QStringLiteral("\nisEmpty:") << (empty ? "true" : "false");
    if (!m_label)
        return;
    if (empty) {
        m_label->setText(m_text);
        m_label->show();
        return;
    }
    m_label->clear();
    m_label->hide();
}
