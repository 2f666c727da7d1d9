#pragma once

#include <QWidget>

#include <optional>

#include "app/HHAdModel.h"
#include "common/HHUserInfo.h"
#include "common/LatestAnswer.h"

class NBAdView;
class NBInfoView;
class QLabel;

// The top of the more page: membership badge, masked account, membership mark and expiry lines
// in the account area, and the advertisement banner on the right.
//
// The banner's picture arrives as a password-protected archive, unpacked by `AdImageArchive`
// (never into the data folder where route lists and page archives live); only a file that
// decodes as an image is cached and shown.
class NBMineHeaderView : public QWidget
{
    Q_OBJECT
public:
    // The account area: 70 from the top, 53 high (taller, about the same centre, when its text is).
    static constexpr int kInfoTop = 70;
    static constexpr int kInfoHeight = 53;

    explicit NBMineHeaderView(QWidget *parent = nullptr);

    // The account area from the record (level) and the stored user (expiry times).
    void updateUserInfo(const std::optional<HHUserInfo> &userInfo);
    // Shows the advertisement: from the image cache under its "fid", else downloaded.
    void showAd(HHAdModel model);
    // The downloaded archive of the picture asked for by the showAd numbered `request`. A picture
    // still downloading that lands after a later advertisement was shown (one from the cache, at
    // once) fills the cache but changes nothing on the screen.
    void unpackAdImage(const std::optional<QByteArray> &data, bool failed, const QString &key, const HHAdModel &model,
                       quint64 request);

    NBInfoView *infoView() const { return m_infoView; }
    QLabel *iconImgView() const { return m_iconImgView; }
    QLabel *nameLab() const { return m_nameLab; }
    QLabel *markImgView() const { return m_markImgView; }
    QLabel *timeLab() const { return m_timeLab; }
    QLabel *svipTimeLab() const { return m_svipTimeLab; }
    NBAdView *adView() const { return m_adView; }
    // The image names last shown, for the gallery and tests.
    QString badgeName() const { return m_badgeName; }
    QString markName() const { return m_markName; }

Q_SIGNALS:
    // The end of one banner round that reached the download (tests wait on it).
    void adImageFinished(bool shown);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void setBadge(const QString &badge, const QString &mark);
    void layoutInfo();

    NBInfoView *m_infoView = nullptr;
    QLabel *m_iconImgView = nullptr;
    QLabel *m_nameLab = nullptr;
    QLabel *m_markImgView = nullptr;
    QLabel *m_timeLab = nullptr;
    QLabel *m_svipTimeLab = nullptr;
    NBAdView *m_adView = nullptr;
    QString m_badgeName;
    QString m_markName;
    LatestAnswer m_adPictures;
};
