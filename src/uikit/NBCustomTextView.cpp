#include "uikit/NBCustomTextView.h"

NBCustomTextView::NBCustomTextView(QWidget *parent)
    : QPlainTextEdit(parent)
{
}
