#include "uikit/OOLoadingView.h"

#include "uikit/ConnectImageView.h"

OOLoadingView::OOLoadingView(const QRect &frame, QWidget *parent)
    : OverlayWidget(parent)
    , m_initialFrame(frame)
{
    setGeometry(frame);
    iconImgView();
}

ConnectImageView *OOLoadingView::iconImgView()
{
    if (!m_iconImgView) {
        m_iconImgView = new ConnectImageView(this);
        m_iconImgView->setGeometry((m_initialFrame.width() - 30) / 2, (m_initialFrame.height() - 30) / 2, 30, 30);
    }
    return m_iconImgView;
}

OOLoadingView *OOLoadingView::cover(QWidget *host)
{
    if (!host)
        return nullptr;
    auto *cover = new OOLoadingView(host->rect(), host);
    cover->raise();
    cover->show();
    cover->iconImgView()->setRotating(true);
    cover->takeFocus();
    return cover;
}
