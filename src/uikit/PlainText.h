#pragma once

#include <QString>

class QLabel;
class QWidget;

// Text that comes from the service, a page or the user is shown as it stands, never read as
// markup: a label left to guess (Qt::AutoText) renders "<img src=...>" and loads whatever file it
// names. Such text also loses the control characters that would garble a line, and is cut to a
// length a screen can lay out, so a hostile megabyte costs nothing to show.
// Only our own fixed texts may carry markup; outside text put into markup goes through escaped().
class PlainText
{
public:
    // Far more than any label has room for, far less than what stalls text layout.
    static constexpr int kMaxChars = 2000;

    // Control characters dropped (line breaks and tabs kept), cut at maxChars on a character
    // boundary with "…" at the end.
    static QString displayable(const QString &text, int maxChars = kMaxChars);
    // displayable(), then escaped for a place inside our own markup.
    static QString escaped(const QString &text, int maxChars = kMaxChars);

    // A label that never reads its text as markup.
    static QLabel *label(QWidget *parent = nullptr);
    static QLabel *label(const QString &text, QWidget *parent = nullptr);
    static void makePlain(QLabel *label);
    // makePlain() and displayable() in one: the way outside text goes into a label.
    static void setText(QLabel *label, const QString &text, int maxChars = kMaxChars);

private:
    PlainText() = delete;
};
