#include "uikit/NBPlaceHolderView.h"

#include "uikit/NSFontHelper.h"
#include "common/Localization.h"

#include <QPainter>

NBPlaceHolderView::NBPlaceHolderView(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setFont(NSFontHelper::getRegularPingFangFont(12));
    QPalette palette = this->palette();
    palette.setColor(QPalette::PlaceholderText, QColor(123, 123, 123));
    setPalette(palette);
    document()->setDocumentMargin(m_insets.left());
    m_placeholder = localizedByAppLanguage(QStringLiteral("SETTING_CONTACTUS_MESSAGE"));
}

void NBPlaceHolderView::setPlaceholderAttributedString(const QString &text)
{
    m_placeholder = text;
    viewport()->update();
}

bool NBPlaceHolderView::isPlaceholderShown() const
{
    return document()->isEmpty() && !m_placeholder.isEmpty();
}

void NBPlaceHolderView::paintEvent(QPaintEvent *event)
{
    QPlainTextEdit::paintEvent(event);
    if (!isPlaceholderShown())
        return;
    // The insets count twice on each side: 4 + 4 inside the left and right edges.
    const QRect area = viewport()->rect().adjusted(m_insets.left() + m_insets.right(), m_insets.top() + m_insets.bottom(),
                                                   -(m_insets.left() + m_insets.right()),
                                                   -(m_insets.top() + m_insets.bottom()));
    QPainter painter(viewport());
    painter.setFont(NSFontHelper::getRegularPingFangFont(12));
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_placeholder);
}

void NBPlaceHolderView::focusInEvent(QFocusEvent *event)
{
    viewport()->update();
    QPlainTextEdit::focusInEvent(event);
}
