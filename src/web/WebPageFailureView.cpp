#include "web/WebPageFailureView.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "uikit/NSFontHelper.h"
#include "uikit/PlainText.h"

const QString WebPageFailureView::kMessage = QStringLiteral("页面加载失败，请稍后再试");
const QString WebPageFailureView::kClose = QStringLiteral("关闭");

namespace {
// The pages' own colours (their shared style sheet), so the message reads as the page's place.
const QColor kBackground(22, 22, 22);
const QColor kText(222, 228, 244);
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 32;
}

WebPageFailureView::WebPageFailureView(QWidget *parent)
    : QWidget(parent)
    , m_message(PlainText::label(kMessage, this))
    , m_close(new QPushButton(kClose, this))
{
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setFont(NSFontHelper::getRegularPingFangFont(14));
    QPalette palette = m_message->palette();
    palette.setColor(QPalette::WindowText, kText);
    m_message->setPalette(palette);
    m_close->setFont(NSFontHelper::getRegularPingFangFont(14));
    m_close->setCursor(Qt::PointingHandCursor);
    m_close->setStyleSheet(QStringLiteral("QPushButton { background: transparent; color: #dee4f4; border: 1px solid #2b3a48;"
                                          " border-radius: 6px; }"));
    connect(m_close, &QPushButton::clicked, this, &WebPageFailureView::closeClicked);
}

void WebPageFailureView::setClosable(bool closable)
{
    m_close->setVisible(closable);
}

void WebPageFailureView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
}

void WebPageFailureView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int middle = height() / 2;
    m_message->setGeometry(0, middle - 30, width(), 24);
    m_close->setGeometry((width() - kButtonWidth) / 2, middle + 10, kButtonWidth, kButtonHeight);
}
