#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QLabel;
class QLineEdit;

// Nothing in the client calls this yet; it is kept for fields that carry their own placeholder.
// A placeholder label that any text field can carry (x_placeholderLabel): shown with the
// field's placeholder text while the user has emptied the field, hidden while it holds text.
// The label lives inside the field, 7 px from its top and 2 px from its left edge. The field
// owns both the label and this watcher, so they go with it.
class TextFieldPlaceholderLabel : public QObject
{
    Q_OBJECT
public:
    // The field's label, made on first use in the field's font and RGB (12, 26, 38).
    static QLabel *x_placeholderLabel(QLineEdit *field);
    // Replaces the field's label; the field takes it.
    static void setX_placeholderLabel(QLineEdit *field, QLabel *label);
    // The text the label shows while the field is empty (empty until set).
    static void setX_placeholderText(QLineEdit *field, const QString &text);
    static QString x_placeholderText(const QLineEdit *field);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit TextFieldPlaceholderLabel(QLineEdit *field);
    static TextFieldPlaceholderLabel *of(const QLineEdit *field);
    void attach(QLabel *label);
    void x_textChangeWithNoti();

    QLineEdit *m_field;
    QPointer<QLabel> m_label;
    QString m_text;
};
