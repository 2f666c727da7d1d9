#include "settings/NBMessageDefaultView.h"

#include <QDebug>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "uikit/NSFontHelper.h"
#include "uikit/UiImages.h"
#include "settings/NBMessageDefaultViewProtocol.h"
#include "settings/ScreenChain.h"
#include "settings/SettingsLog.h"
#include "uikit/PlainText.h"

namespace {
constexpr int kIcon = 102;
}

NBMessageDefaultView::NBMessageDefaultView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_StyledBackground, false);
    m_placeView = new QWidget(this);
    m_iconImgView = new QLabel(m_placeView);
    m_iconImgView->setFixedSize(kIcon, kIcon);
    m_iconImgView->setAlignment(Qt::AlignCenter);
    m_tipLab = PlainText::label(m_placeView);
    m_tipLab->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_tipLab->setAlignment(Qt::AlignCenter);
    m_tipLab->setStyleSheet(QStringLiteral("color: rgb(154, 152, 179); background: transparent;"));
    m_confirmBtn = new QPushButton(QStringLiteral("反馈问题"), this);
    m_confirmBtn->setFont(NSFontHelper::getLightPingFangFont(12));
    m_confirmBtn->setFixedSize(280, 40);
    m_confirmBtn->setCursor(Qt::PointingHandCursor);
    m_confirmBtn->setStyleSheet(QStringLiteral("QPushButton { color: white; border: none; border-image: url(:/images/confirm_enable_icon.svg); }"));
    m_confirmBtn->hide();
    connect(m_confirmBtn, &QPushButton::clicked, this, &NBMessageDefaultView::confirmAction);
}

void NBMessageDefaultView::setIconName(const QString &name)
{
    m_iconImgView->setPixmap(UiImages::pixmap(name, QSize(kIcon, kIcon), devicePixelRatioF()));
}

void NBMessageDefaultView::confirmAction()
{
    qCDebug(lcSettings) << "......";
    if (auto *screen = findAncestorScreen<NBMessageDefaultViewProtocol>(this))
        screen->defaultViewDidConfirm();
}

void NBMessageDefaultView::resizeEvent(QResizeEvent *)
{
    const int tipHeight = m_tipLab->sizeHint().height();
    const int placeWidth = qMax(kIcon + 20, m_tipLab->sizeHint().width());
    const int placeHeight = kIcon + 20 + tipHeight;
    m_placeView->setGeometry((width() - placeWidth) / 2, (height() - placeHeight) / 2, placeWidth, placeHeight);
    m_iconImgView->move((placeWidth - kIcon) / 2, 0);
    m_tipLab->setGeometry(0, kIcon + 20, placeWidth, tipHeight);
    m_confirmBtn->move((width() - m_confirmBtn->width()) / 2, height() - 36 - m_confirmBtn->height());
}

void NBMessageDefaultView::paintEvent(QPaintEvent *)
{
    // Opaque, so the list under it never shows through.
    QPainter painter(this);
    painter.fillRect(rect(), QColor(22, 22, 22));
}

NBMessageDefaultView *NBMessageDefaultView::showOn(QWidget *screen, const QRect &frame, const QString &tip, bool withButton)
{
    removeFrom(screen);
    auto *empty = new NBMessageDefaultView(screen);
    empty->setIconName(QStringLiteral("message_no_data"));
    empty->tipLab()->setText(tip);
    empty->confirmBtn()->setVisible(withButton);
    empty->setGeometry(frame);
    empty->show();
    empty->raise();
    return empty;
}

void NBMessageDefaultView::removeFrom(QWidget *screen)
{
    for (NBMessageDefaultView *view : screen->findChildren<NBMessageDefaultView *>(QString(), Qt::FindDirectChildrenOnly))
        delete view;
}
