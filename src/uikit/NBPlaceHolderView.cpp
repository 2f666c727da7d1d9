#include "uikit/NBPlaceHolderView.h"

#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

#include "uikit/NSFontHelper.h"
#include "common/Localization.h"

#include <QPainter>

NBPlaceHolderView::NBPlaceHolderView(QWidget *parent)
    : QTextEdit(parent)
{
    setAcceptRichText(false);
    setFont(NSFontHelper::getRegularPingFangFont(12));
    QPalette palette = this->palette();
    palette.setColor(QPalette::PlaceholderText, QColor(123, 123, 123));
    setPalette(palette);
    document()->setDocumentMargin(m_insets.left());
    m_placeholder = localizedByAppLanguage(QStringLiteral("SETTING_CONTACTUS_MESSAGE"));
    // Setting or pasting text gives its blocks a plain format: the spacing goes back on each change.
    connect(document(), &QTextDocument::contentsChanged, this, &NBPlaceHolderView::applyLineSpacing);
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
    QTextEdit::paintEvent(event);
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

void NBPlaceHolderView::setLineSpacing(qreal spacing)
{
    m_lineSpacing = spacing;
    applyLineSpacing();
}

void NBPlaceHolderView::applyLineSpacing()
{
    if (m_applyingSpacing)
        return;
    bool needed = false;
    for (QTextBlock block = document()->begin(); block.isValid() && !needed; block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();
        const bool spaced = format.lineHeightType() == QTextBlockFormat::LineDistanceHeight && format.lineHeight() == m_lineSpacing;
        const bool single = format.lineHeightType() == QTextBlockFormat::SingleHeight && m_lineSpacing == 0;
        needed = !spaced && !single;
    }
    if (!needed)
        return;
    m_applyingSpacing = true;
    QTextCursor cursor(document());
    // Part of the edit that caused it: one undo takes back both.
    cursor.joinPreviousEditBlock();
    cursor.select(QTextCursor::Document);
    QTextBlockFormat spacing;
    spacing.setLineHeight(m_lineSpacing, QTextBlockFormat::LineDistanceHeight);
    cursor.mergeBlockFormat(spacing);
    cursor.endEditBlock();
    m_applyingSpacing = false;
}

void NBPlaceHolderView::focusInEvent(QFocusEvent *event)
{
    viewport()->update();
    QTextEdit::focusInEvent(event);
}
