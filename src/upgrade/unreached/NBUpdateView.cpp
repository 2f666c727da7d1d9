#include "upgrade/unreached/NBUpdateView.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBlockFormat>
#include <QTextBrowser>
#include <QTextCursor>

#include "uikit/NBDisableButton.h"
#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "uikit/WindowInUse.h"
#include "upgrade/UpgradeDialogParts.h"

namespace {

constexpr int kPanelWidth = 284;

} // namespace

NBUpdateView::NBUpdateView(QWidget *parent)
    : OverlayWidget(parent)
{
    m_contentView = new RoundedPanel(QColor(36, 37, 55), 20, this);
    m_titleLabel = UpgradeDialogParts::label(QStringLiteral("版本更新"), 12, QColor(222, 215, 249), m_contentView);
    m_titleLabel->setAlignment(Qt::AlignCenter);
    m_newVersionLabel = UpgradeDialogParts::label(QString(), 10, QColor(136, 127, 168), m_contentView);
    m_subTitleLabel = UpgradeDialogParts::label(QStringLiteral("更新内容"), 10, QColor(136, 127, 168), m_contentView);
    m_privacyTextView = new QTextBrowser(m_contentView);
    m_privacyTextView->setFrameShape(QFrame::NoFrame);
    m_privacyTextView->setReadOnly(true);
    m_privacyTextView->setOpenLinks(false);
    m_privacyTextView->setTextInteractionFlags(Qt::NoTextInteraction);
    m_privacyTextView->setStyleSheet(QStringLiteral("QTextBrowser { background: rgb(36, 37, 55); color: white; }"));
    // Links in the panel's own colour, not underlined: they do not stand out from the panel.
    QPalette links = m_privacyTextView->palette();
    links.setColor(QPalette::Link, QColor(36, 37, 55));
    m_privacyTextView->setPalette(links);
    m_privacyTextView->document()->setDefaultStyleSheet(QStringLiteral("a { color: rgb(36, 37, 55); text-decoration: none; }"));
    m_cancalButtton = UpgradeDialogParts::imageButton(QStringLiteral("cancal"), QStringLiteral("暂不更新"), QColor(222, 228, 244), m_contentView);
    m_upgradeButton = UpgradeDialogParts::imageButton(QStringLiteral("upgradeApp"), QStringLiteral("立即更新"), QColor(222, 228, 244), m_contentView);
    connect(m_cancalButtton, &QPushButton::clicked, this, &NBUpdateView::cancalAction);
    connect(m_upgradeButton, &QPushButton::clicked, this, &NBUpdateView::upgradeAction);
    m_contentView->resize(kPanelWidth, 29 + 17 + 12 + 14 + 6 + 14 + 8 + 207 + 4 + 40 + 21);
}

void NBUpdateView::applyTexts()
{
    m_newVersionLabel->setText(QStringLiteral("找到最新的版本：") + version.value_or(QString()));
    QTextDocument *document = m_privacyTextView->document();
    document->clear();
    QTextCursor cursor(document);
    QTextBlockFormat block;
    block.setLineHeight(10, QTextBlockFormat::LineDistanceHeight);
    QTextCharFormat characters;
    characters.setFont(NSFontHelper::getRegularPingFangFont(12));
    characters.setForeground(QColor(136, 137, 161));
    cursor.setBlockFormat(block);
    cursor.insertText(content.value_or(QString()), characters);
}

void NBUpdateView::show()
{
    QWidget *host = WindowInUse::contentWidget();
    if (!host)
        return;
    applyTexts();
    showOver(host);
}

void NBUpdateView::leave(const std::function<void()> &block)
{
    if (isClosing())
        return;
    closeOverlay();
    if (block)
        block();
}

void NBUpdateView::dismiss()
{
    leave(didDismissSuccessBlock);
}

void NBUpdateView::cancalAction()
{
    leave(didDismissSuccessBlock);
}

void NBUpdateView::upgradeAction()
{
    leave(didUpdateBlock);
}

void NBUpdateView::mouseReleaseEvent(QMouseEvent *event)
{
    // The dimmed surround counts as dismissal; the panel does not.
    event->accept();
    if (event->button() == Qt::LeftButton && !m_contentView->geometry().contains(event->position().toPoint()))
        dismiss();
}

void NBUpdateView::resizeEvent(QResizeEvent *event)
{
    OverlayWidget::resizeEvent(event);
    const int panelHeight = m_contentView->height();
    m_contentView->move((width() - kPanelWidth) / 2, (height() - panelHeight) / 2);
    m_titleLabel->setGeometry(0, 29, kPanelWidth, 17);
    m_newVersionLabel->setGeometry(26, 29 + 17 + 12, kPanelWidth - 52, 14);
    m_subTitleLabel->setGeometry(26, m_newVersionLabel->geometry().bottom() + 1 + 6, kPanelWidth - 52, 14);
    const int notesTop = m_subTitleLabel->geometry().bottom() + 1 + 8;
    m_privacyTextView->setGeometry(29, notesTop, kPanelWidth - 58, 207);
    const int buttonTop = notesTop + 207 + 4;
    m_cancalButtton->setGeometry(29, buttonTop, 110, 40);
    m_upgradeButton->setGeometry(kPanelWidth - 29 - 110, buttonTop, 110, 40);
}

void NBUpdateView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, 77));
}
