#include "uikit/NBPlaceHolderView.h"

#include "uikit/NSFontHelper.h"
#include "common/Localization.h"

NBPlaceHolderView::NBPlaceHolderView(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setFont(NSFontHelper::getRegularPingFangFont(12));
    QPalette palette = this->palette();
    palette.setColor(QPalette::PlaceholderText, QColor(123, 123, 123));
    setPalette(palette);
    // Qt draws the placeholder at the document margin: 4 here plus the text's own 4 makes the
    // program's 8 px from each side.
    document()->setDocumentMargin(m_insets.left());
    setPlaceholderText(localizedByAppLanguage(QStringLiteral("SETTING_CONTACTUS_MESSAGE")));
}

void NBPlaceHolderView::setPlaceholderAttributedString(const QString &text)
{
    setPlaceholderText(text);
}

bool NBPlaceHolderView::isPlaceholderShown() const
{
    return document()->isEmpty() && !placeholderText().isEmpty();
}

void NBPlaceHolderView::focusInEvent(QFocusEvent *event)
{
    viewport()->update();
    QPlainTextEdit::focusInEvent(event);
}
