#include "app/NBLeftSideView.h"

#include <QLabel>
#include <QMouseEvent>

#include "uikit/NSFontHelper.h"
#include "uikit/UiImages.h"
#include "uikit/PlainText.h"

namespace {
constexpr int kImageSide = 24;
constexpr int kDotSide = 6;
constexpr int kTitleGap = 7;
constexpr int kTitleFontSize = 10;
}

NBLeftSideView::NBLeftSideView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_NoMousePropagation);
    setCursor(Qt::PointingHandCursor);
    m_imgView = new QLabel(this);
    m_imgView->setFixedSize(kImageSide, kImageSide);
    m_titleLab = PlainText::label(this);
    m_titleLab->setFont(NSFontHelper::getRegularPingFangFont(kTitleFontSize));
    m_titleLab->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_titleLab->setWordWrap(true);
    m_titleLab->setAttribute(Qt::WA_TranslucentBackground);
    m_redDot = new QLabel(this);
    m_redDot->setFixedSize(kDotSide, kDotSide);
    m_redDot->setPixmap(UiImages::pixmap(QStringLiteral("red_dot_icon"), QSize(kDotSide, kDotSide), devicePixelRatioF()));
    m_redDot->hide();
    for (QLabel *label : {m_imgView, m_titleLab, m_redDot})
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void NBLeftSideView::configure(const QString &title, const QString &normalImage, const QString &selectImage,
                               const QColor &normalColor, const QColor &selectColor)
{
    // Titles wrap by character, as the narrow rows need.
    QString wrappable;
    for (const QChar c : title)
        wrappable += QString(c) + QChar(0x200B);
    m_titleLab->setText(wrappable);
    m_titleLab->setAccessibleName(title);
    m_normalImage = normalImage;
    m_selectImage = selectImage;
    m_normalColor = normalColor;
    m_selectColor = selectColor;
    applyLook();
}

QString NBLeftSideView::title() const
{
    return m_titleLab->accessibleName();
}

void NBLeftSideView::setSelect(bool select)
{
    m_isSelect = select;
    applyLook();
}

void NBLeftSideView::applyLook()
{
    m_imgView->setPixmap(UiImages::pixmap(currentImage(), QSize(kImageSide, kImageSide), devicePixelRatioF()));
    QPalette palette = m_titleLab->palette();
    palette.setColor(QPalette::WindowText, currentColor());
    m_titleLab->setPalette(palette);
}

void NBLeftSideView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    Q_EMIT clicked();
}

void NBLeftSideView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int imageLeft = (width() - kImageSide) / 2;
    m_imgView->move(imageLeft, 0);
    m_redDot->move(imageLeft + kImageSide - kDotSide, 0);
    const int titleTop = kImageSide + kTitleGap;
    m_titleLab->setGeometry(0, titleTop, width(), qMax(0, height() - titleTop));
}
