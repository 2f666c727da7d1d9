#include "settings/more/NBMineHeaderView.h"

#include <QDebug>
#include <QFontDatabase>
#include <QLabel>
#include <QPointer>

#include "app/AdImageArchive.h"
#include "app/SplashAdStore.h"
#include "uikit/BackgroundWindowMove.h"
#include "uikit/ImageCache.h"
#include "uikit/NSFontHelper.h"
#include "uikit/UiImages.h"
#include "common/MKUserInfoManager.h"
#include "networking/OOHostSafeAdpter.h"
#include "networking/OONetWork.h"
#include "settings/more/NBAdView.h"
#include "settings/more/NBInfoView.h"
#include "settings/SettingsLog.h"
#include "uikit/PlainText.h"

namespace {

QLabel *plainLabel(QWidget *parent, const QFont &font, const QColor &colour)
{
    auto *label = PlainText::label(parent);
    label->setFont(font);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setStyleSheet(QStringLiteral("background: transparent; color: %1;").arg(colour.name()));
    return label;
}

QFont monospacedFont(int px)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(px);
    return font;
}

} // namespace

NBMineHeaderView::NBMineHeaderView(QWidget *parent)
    : QWidget(parent)
{
    // Around the account box and the banner, the header is the page's background.
    BackgroundWindowMove::markAsSurface(this);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("NBMineHeaderView { background: rgb(22,22,22); }"));
    m_infoView = new NBInfoView(this);
    m_iconImgView = new QLabel(m_infoView);
    m_iconImgView->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_iconImgView->setFixedSize(45, 45);
    m_nameLab = plainLabel(m_infoView, NSFontHelper::getLightPingFangFont(16), QColor(239, 243, 255));
    m_markImgView = new QLabel(m_infoView);
    m_markImgView->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_timeLab = plainLabel(m_infoView, monospacedFont(10), QColor(168, 170, 202));
    m_timeLab->hide();
    m_svipTimeLab = plainLabel(m_infoView, monospacedFont(10), QColor(168, 170, 202));
    m_adView = new NBAdView(this);
    m_adView->resize(364, 55);
}

void NBMineHeaderView::setBadge(const QString &badge, const QString &mark)
{
    m_badgeName = badge;
    m_markName = mark;
    m_iconImgView->setPixmap(UiImages::pixmap(badge, QSize(45, 45)));
    if (mark.isEmpty()) {
        m_markImgView->clear();
        m_markImgView->resize(0, 0);
    } else {
        m_markImgView->setPixmap(UiImages::pixmap(mark, QSize(34, 16)));
        m_markImgView->resize(34, 16);
    }
}

void NBMineHeaderView::updateUserInfo(const std::optional<HHUserInfo> &userInfo)
{
    m_nameLab->setText(userInfo ? userInfo->maskedAccount().value_or(QString()) : QString());
    // Expiry times always come from the stored user; the level from the record handed in.
    const std::optional<HHUserInfo> stored = MKUserInfoManager::shared().currentUser();
    const std::optional<MKUser> storedUser = stored ? stored->user : std::nullopt;
    const QString vipTime = storedUser ? storedUser->vipInvalidTime.value_or(QString()) : QString();
    const QString svipTime = storedUser ? storedUser->svipInvalidTime.value_or(QString()) : QString();
    const std::optional<qint64> level = userInfo && userInfo->user ? userInfo->user->userLevel : std::nullopt;
    if (MKUserInfoManager::shared().isVipValid()) {
        m_timeLab->setText(vipTime + QStringLiteral(" 普通到期"));
        m_timeLab->show();
        m_svipTimeLab->setText(svipTime + QStringLiteral(" 高级到期"));
        setBadge(QStringLiteral("mine_svip_icon"), QStringLiteral("mine_svip_mark_icon"));
    } else if (level == 1) {
        m_timeLab->hide();
        m_svipTimeLab->setText(vipTime + QStringLiteral(" 普通到期"));
        setBadge(QStringLiteral("mine_vip_icon"), QStringLiteral("mine_vip_mark_icon"));
    } else if (level == 2) {
        m_timeLab->hide();
        m_svipTimeLab->setText(svipTime + QStringLiteral(" 高级到期"));
        setBadge(QStringLiteral("mine_svip_icon"), QStringLiteral("mine_svip_mark_icon"));
    } else {
        m_timeLab->hide();
        m_svipTimeLab->setText(QStringLiteral("已到期"));
        setBadge(QStringLiteral("mine_no_vip_icon"), QString());
    }
    layoutInfo();
}

void NBMineHeaderView::showAd(HHAdModel model)
{
    const QString raw = model.imgUrl.value_or(QString());
    if (raw.isEmpty())
        return;
    const QString imgUrl = SplashAdStore::absoluteImageUrl(raw, OOHostSafeAdpter::shared().currentDomain());
    model.imgUrl = imgUrl;
    const std::optional<QString> key = SplashAdStore::adImageKey(imgUrl);
    if (!key || key->isEmpty())
        return;
    const quint64 request = m_adPictures.ask();
    ImageCache &cache = ImageCache::shared();
    if (cache.containsDataForKey(*key)) {
        const QImage image = cache.imageFromCacheForKey(*key);
        if (!image.isNull()) {
            m_adPictures.taken(request);
            m_adView->setAdvertisement(model, image);
            return;
        }
    }
    QPointer<NBMineHeaderView> self(this);
    OONetWork::shared().requestConfigRawData(QStringLiteral("GET"), imgUrl,
                                             [self, key = *key, model, request](std::optional<QByteArray> data,
                                                                                std::optional<NetError> error) {
        if (self)
            self->unpackAdImage(data, error.has_value(), key, model, request);
    });
}

void NBMineHeaderView::unpackAdImage(const std::optional<QByteArray> &data, bool failed, const QString &key,
                                     const HHAdModel &model, quint64 request)
{
    if (failed || !data) {
        Q_EMIT adImageFinished(false);
        return;
    }
    // Of several files the last picture wins, as each is stored under the same key in turn.
    const AdImageArchive::Result result =
        AdImageArchive::unpackIntoCache(*data, key, AdImageArchive::Pick::LastImage, ImageCache::shared());
    if (!result.ok()) {
        qCDebug(lcSettings) << "banner picture:" << result.error;
        Q_EMIT adImageFinished(false);
        return;
    }
    // Unpacked all the same: the next appearance that lists this banner finds it in the cache.
    if (m_adPictures.stale(request)) {
        Q_EMIT adImageFinished(false);
        return;
    }
    m_adPictures.taken(request);
    m_adView->setAdvertisement(model, result.image);
    Q_EMIT adImageFinished(true);
}

void NBMineHeaderView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutInfo();
}

void NBMineHeaderView::layoutInfo()
{
    m_nameLab->adjustSize();
    m_svipTimeLab->adjustSize();
    m_timeLab->adjustSize();
    const bool twoLines = m_timeLab->isVisibleTo(m_infoView);
    const int textHeight = m_nameLab->height() + 4 + m_svipTimeLab->height() + (twoLines ? 2 + m_timeLab->height() : 0);
    // The account area is 53 high, 70 from the top. The fonts standing in for the program's may
    // set the name and two expiry lines taller than that: the area then grows about its own
    // centre, so no line is cut and the banner stays level with it.
    const int areaHeight = qMax(kInfoHeight, textHeight);
    m_infoView->setGeometry(46, kInfoTop + (kInfoHeight - areaHeight) / 2, 300, areaHeight);
    m_adView->setGeometry(width() - 49 - 364, kInfoTop + (kInfoHeight - 55) / 2, 364, 55);

    m_iconImgView->move(0, (areaHeight - 45) / 2);
    const int textLeft = 45 + 12;
    const int nameTop = (areaHeight - textHeight) / 2;
    m_nameLab->move(textLeft, nameTop);
    m_markImgView->move(m_nameLab->geometry().right() + 1 + 7, m_nameLab->y() + (m_nameLab->height() - 16) / 2);
    const int lineTop = m_nameLab->geometry().bottom() + 1 + 4;
    if (twoLines) {
        m_timeLab->move(textLeft, lineTop);
        m_svipTimeLab->move(textLeft, m_timeLab->geometry().bottom() + 1 + 2);
    } else {
        m_svipTimeLab->move(textLeft, lineTop);
    }
}
