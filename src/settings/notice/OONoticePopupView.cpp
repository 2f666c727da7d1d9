#include "settings/notice/OONoticePopupView.h"
#include "settings/notice/NoticeTextBrowser.h"

#include <QAbstractTextDocumentLayout>
#include <QtMath>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextBrowser>

#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "networking/XSAnalyticsManager.h"
#include "web/DesktopLinkOpener.h"
#include "uikit/PlainText.h"

namespace {
constexpr int kPanelWidth = 300;
constexpr int kPanelHeight = 435;
constexpr int kInset = 16;
constexpr int kTextTop = 20;
constexpr int kButtonGap = 20;
constexpr int kButtonHeight = 45;
constexpr int kButtonBottom = 15;
} // namespace

OONoticePopupView::OONoticePopupView(QWidget *parent)
    : OOBasePopupView(parent)
{
    setFillsParent(true);
    contentView();
    scrollView();
    closeBtn();
    layoutViews();
}

QLabel *OONoticePopupView::titleLab()
{
    if (!m_titleLab) {
        m_titleLab = PlainText::label(contentView());
        m_titleLab->hide();
    }
    return m_titleLab;
}

QScrollArea *OONoticePopupView::scrollView()
{
    if (m_scrollView)
        return m_scrollView;
    m_scrollView = new QScrollArea(contentView());
    m_scrollView->setFrameShape(QFrame::NoFrame);
    m_scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollView->setWidgetResizable(false);
    m_scrollView->setStyleSheet(QStringLiteral("QScrollArea { background: rgb(23, 35, 48); border: none; }"
                                               "QScrollBar:vertical { background: transparent; width: 6px; }"
                                               "QScrollBar::handle:vertical { background: rgb(60, 76, 94); border-radius: 3px; }"
                                               "QScrollBar::add-line, QScrollBar::sub-line { height: 0; }"));
    m_scrollView->viewport()->setStyleSheet(QStringLiteral("background: rgb(23, 35, 48);"));
    m_scrollView->setWidget(textView());
    return m_scrollView;
}

QTextBrowser *OONoticePopupView::textView()
{
    if (m_textView)
        return m_textView;
    // The scroll view scrolls; the text grows with its content at the scroll view's width.
    m_textView = new NoticeTextBrowser;
    m_textView->setFont(NSFontHelper::getRegularPingFangFont(15));
    m_textView->setReadOnly(true);
    m_textView->setOpenLinks(false);
    m_textView->setOpenExternalLinks(false);
    m_textView->setFrameShape(QFrame::NoFrame);
    m_textView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_textView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_textView->setContextMenuPolicy(Qt::NoContextMenu);
    m_textView->setMinimumHeight(100);
    m_textView->setStyleSheet(QStringLiteral("QTextBrowser { color: white; background: transparent; }"));
    m_textView->document()->setDefaultStyleSheet(QStringLiteral("a { color: rgb(102, 157, 248); text-decoration: none; }"));
    connect(m_textView, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) { textViewClickedOnLink(url); });
    connect(m_textView->document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            [this] { fitTextToContents(); });
    return m_textView;
}

QPushButton *OONoticePopupView::closeBtn()
{
    if (m_closeBtn)
        return m_closeBtn;
    m_closeBtn = new QPushButton(QStringLiteral("Close"), contentView());
    m_closeBtn->setFont(NSFontHelper::getMediumPingFangFont(15));
    m_closeBtn->setCursor(Qt::PointingHandCursor);
    m_closeBtn->setStyleSheet(QStringLiteral("QPushButton { color: white; border: none; border-radius: 8px; "
                                             "background: rgb(102, 157, 248); }"));
    connect(m_closeBtn, &QPushButton::clicked, this, &OONoticePopupView::closeAction);
    return m_closeBtn;
}

void OONoticePopupView::closeAction()
{
    if (m_closed)
        return;
    m_closed = true;
    closeOverlay();
    XSAnalyticsManager::shared().track(QStringLiteral("noticePage_close_click"));
}

bool OONoticePopupView::textViewClickedOnLink(const QUrl &url)
{
    if (!url.isValid() || url.isEmpty())
        return false;
    if (url.host().compare(QLatin1String("buy"), Qt::CaseInsensitive) == 0)
        return false;
    DesktopLinkOpener::open(url);
    return true;
}

void OONoticePopupView::resizeEvent(QResizeEvent *event)
{
    OOBasePopupView::resizeEvent(event);
    layoutViews();
}

void OONoticePopupView::layoutViews()
{
    RoundedPanel *panel = contentView();
    panel->setGeometry((width() - kPanelWidth) / 2, (height() - kPanelHeight) / 2, kPanelWidth, kPanelHeight);
    const int innerWidth = kPanelWidth - 2 * kInset;
    const int textHeight = kPanelHeight - kTextTop - kButtonGap - kButtonHeight - kButtonBottom;
    m_scrollView->setGeometry(kInset, kTextTop, innerWidth, textHeight);
    m_closeBtn->setGeometry(kInset, kTextTop + textHeight + kButtonGap, innerWidth, kButtonHeight);
    fitTextToContents();
}

void OONoticePopupView::fitTextToContents()
{
    // Setting the width below makes the document report its new size, which calls here again.
    if (!m_scrollView || !m_textView || m_fitting)
        return;
    m_fitting = true;
    // Measured from the scroll view's own size: its viewport is laid out only once shown.
    const QSize room = m_scrollView->maximumViewportSize();
    QTextDocument *document = m_textView->document();
    int width = room.width();
    document->setTextWidth(width);
    if (document->size().height() > room.height()) {
        width -= m_scrollView->verticalScrollBar()->sizeHint().width();
        document->setTextWidth(width);
    }
    const int height = qMax(qMax(100, room.height()), qCeil(document->size().height()));
    m_fitting = false;
    if (m_textView->size() != QSize(width, height))
        m_textView->resize(width, height);
}
