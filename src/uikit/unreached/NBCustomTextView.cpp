#include "uikit/unreached/NBCustomTextView.h"

NBCustomTextView::NBCustomTextView(QWidget *parent)
    : QPlainTextEdit(parent)
{
}
