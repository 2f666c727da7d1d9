#include "settings/unreached/NBContactPictureView.h"

#include <QLabel>

#include "uikit/NBClickImageView.h"
#include "uikit/NSFontHelper.h"
#include "uikit/PlainText.h"
#include "uikit/UiImages.h"
#include "common/Localization.h"
#include "settings/feedback/FeedbackPicture.h"
#include "settings/unreached/NBPictUreItem.h"

namespace {
constexpr int kMaxTiles = 3;
}

NBContactPictureView::NBContactPictureView(QWidget *parent)
    : QWidget(parent)
    , m_addImage(UiImages::pixmap(QStringLiteral("addImage"), QSize(48, 48)).toImage())
{
    m_titleLabel = PlainText::label(localizedByAppLanguage(QStringLiteral("SETTING_CONTACTUS_ADDPICTURE")), this);
    m_titleLabel->setFont(NSFontHelper::getRegularPingFangFont(14));
    m_titleLabel->setStyleSheet(QStringLiteral("color: rgba(255, 255, 255, 77); background: transparent;"));
    m_collectionView = new QWidget(this);
    reloadData();
}

QList<QImage> NBContactPictureView::imageArray() const
{
    return m_pictures + QList<QImage>{m_addImage};
}

int NBContactPictureView::itemCount() const
{
    return qMin(int(m_pictures.size()) + 1, kMaxTiles);
}

void NBContactPictureView::selectItem(int index)
{
    if (index != m_pictures.size())
        return;
    if (actionBlock)
        actionBlock(index);
}

void NBContactPictureView::iconAction(int index)
{
    if (actionBlock)
        actionBlock(index);
}

void NBContactPictureView::appendImage(const QImage &image)
{
    if (image.isNull())
        return;
    m_pictures << image;
    reloadData();
}

bool NBContactPictureView::removeItem(int index)
{
    if (index < 0 || index >= m_pictures.size())
        return false;
    m_pictures.removeAt(index);
    reloadData();
    return true;
}

void NBContactPictureView::clear()
{
    m_pictures.clear();
    reloadData();
}

void NBContactPictureView::reloadData()
{
    qDeleteAll(m_tiles);
    m_tiles.clear();
    const QList<QImage> entries = imageArray();
    for (int i = 0; i < itemCount(); ++i) {
        auto *tile = new NBPictUreItem(m_collectionView);
        const bool isAdd = i == entries.size() - 1;
        tile->clickActionBlock = [this, i] { iconAction(i); };
        tile->deleteActionBlock = [this, i] { removeItem(i); };
        tile->setProperty("addTile", isAdd);
        tile->setProperty("picture", entries.at(i));
        tile->show();
        m_tiles << tile;
    }
    resizeEvent(nullptr);
}

void NBContactPictureView::resizeEvent(QResizeEvent *)
{
    m_titleLabel->setGeometry(15, 13, qMax(0, width() - 30), m_titleLabel->sizeHint().height());
    m_collectionView->setGeometry(15, 41, qMax(0, width() - 30), qMax(0, height() - 41));
    const int side = qMax(1, (m_collectionView->width() - 60) / 3);
    for (int i = 0; i < m_tiles.size(); ++i) {
        NBPictUreItem *tile = m_tiles.at(i);
        tile->setGeometry(i * (side + 2), 0, side, side);
        const QImage picture = tile->property("picture").value<QImage>();
        tile->iconImageView()->setPixmap(QPixmap::fromImage(FeedbackPicture::fitted(picture, QSize(side - 8, side - 8))));
    }
}
