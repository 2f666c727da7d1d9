#pragma once

#include <QPlainTextEdit>

// Nothing in the client creates this yet; it is kept as the kit's plain multi-line text view.
// A plain multi-line text view of the kit, for a caller that needs one without a placeholder.
class NBCustomTextView : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit NBCustomTextView(QWidget *parent = nullptr);
};
