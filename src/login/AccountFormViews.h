#pragma once

#include <QString>

class ImageTitleButton;
class NBGradColorView;
class NBSecureTextView;
class NBTextFiledContentView;
class QLineEdit;
class QPushButton;
class QWidget;

// Builders of the rows the registration and retrieval forms share, so each form reads as the
// list of its rows.
namespace AccountFormViews {

// A password row: the placeholder (already localised) in the account style, the title held.
NBSecureTextView *passwordRow(QWidget *parent, const QString &placeholder, const QString &title);
// Applies the account placeholder style to a row's field with that placeholder.
void setPlaceholder(QLineEdit *field, const QString &placeholder);
// The forms' action button: the "confirm_…" background, a 14 px title, disabled at first.
NBGradColorView *actionButton(QWidget *parent, const QString &title);
void setActionEnabled(ImageTitleButton *button, bool enabled);
// The way back to sign-in: the "havaAcc" arrow and its words, 14 px high.
QPushButton *haveAccountButton(QWidget *parent);

} // namespace AccountFormViews
