#pragma once

#include <QList>
#include <QString>

class ImageTitleButton;
class NBGradColorView;
class NBSecureTextView;
class NBTextFiledContentView;
class NBVerityCodeContentView;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Builders and layouts of the rows the registration and retrieval forms share, so each form
// reads as its account row (e-mail or phone) and what it sends.
namespace AccountFormViews {

// A password row: the placeholder (already localised) in the account style, the title held.
NBSecureTextView *passwordRow(QWidget *parent, const QString &placeholder, const QString &title);
// Applies the account placeholder style to a row's field with that placeholder.
void setPlaceholder(QLineEdit *field, const QString &placeholder);
// The code row every form has, under its account row.
NBVerityCodeContentView *codeRow(QWidget *parent);
// The forms' action button: the "confirm_…" background, a 14 px title, disabled at first.
NBGradColorView *actionButton(QWidget *parent, const QString &title);
void setActionEnabled(ImageTitleButton *button, bool enabled);
// The way back to sign-in: the "havaAcc" arrow and its words, 14 px high.
QPushButton *haveAccountButton(QWidget *parent);

// Rows 40 high and 6 apart from `top` down, `left` from the form's left edge and `width` wide;
// answers the y below the last row's gap.
int layoutRows(const QList<QWidget *> &rows, int left, int top, int width);

// What both registration forms show below their account row, top to bottom: the code, a new
// password twice, the optional invitation code, "注册并登录", the way back and the consent.
struct RegistrationRows
{
    NBVerityCodeContentView *code = nullptr;
    NBSecureTextView *password = nullptr;
    NBSecureTextView *again = nullptr;
    NBTextFiledContentView *invitation = nullptr;
    NBGradColorView *registerButton = nullptr;
    QPushButton *haveAccount = nullptr;
    QLabel *consent = nullptr;
};
RegistrationRows registrationRows(QWidget *parent);
void layoutRegistration(QWidget *form, QWidget *accountRow, const RegistrationRows &rows);
// The fields in Tab order, the account field first.
QList<QLineEdit *> registrationFields(QLineEdit *accountField, const RegistrationRows &rows);
// The fields that must hold text before "注册并登录" may be pressed: all but the invitation code.
QList<QLineEdit *> registrationRequired(QLineEdit *accountField, const RegistrationRows &rows);

// What both retrieval forms show below their account row: the code, the new password twice (the
// first with the form's own placeholder) and "重置密码并登录".
struct RetrievalRows
{
    NBVerityCodeContentView *code = nullptr;
    NBSecureTextView *password = nullptr;
    NBSecureTextView *again = nullptr;
    NBGradColorView *retrieveButton = nullptr;
};
RetrievalRows retrievalRows(QWidget *parent, const QString &passwordPlaceholder);
void layoutRetrieval(QWidget *form, QWidget *accountRow, const RetrievalRows &rows);
// The fields in Tab order, the account field first; all of them are required.
QList<QLineEdit *> retrievalFields(QLineEdit *accountField, const RetrievalRows &rows);

} // namespace AccountFormViews
