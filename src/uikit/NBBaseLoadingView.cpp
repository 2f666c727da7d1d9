#include "uikit/NBBaseLoadingView.h"

#include "uikit/NBRotationImageView.h"
#include "uikit/RoundedPanel.h"

NBBaseLoadingView::NBBaseLoadingView(QWidget *parent)
    : OverlayWidget(parent)
{
    setFillsParent(true);
    imgView();
}

RoundedPanel *NBBaseLoadingView::contentView()
{
    if (!m_contentView) {
        m_contentView = new RoundedPanel(QColor(16, 17, 27), 16, this);
        m_contentView->resize(32, 32);
        m_contentView->move((width() - 32) / 2, (height() - 32) / 2);
    }
    return m_contentView;
}

NBRotationImageView *NBBaseLoadingView::imgView()
{
    if (!m_imgView) {
        m_imgView = new NBRotationImageView(contentView());
        // A 17 px image at 7.5: drawn centred in an 18 px square at 7.
        m_imgView->setGeometry(7, 7, 18, 18);
        m_imgView->setImageSize(QSize(17, 17));
    }
    return m_imgView;
}

void NBBaseLoadingView::resizeEvent(QResizeEvent *event)
{
    OverlayWidget::resizeEvent(event);
    contentView()->move((width() - 32) / 2, (height() - 32) / 2);
}
