#include "app/HHSplashViewController.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include "app/HHSplashButton.h"
#include "app/SplashAdStore.h"
#include "app/SplashCountdown.h"
#include "uikit/ImageCache.h"
#include "common/JsonUtils.h"
#include "networking/XSAnalyticsManager.h"

HHSplashViewController::HHSplashViewController(QWidget *parent)
    : NBBaseViewController(parent)
    , m_countdown(new SplashCountdown(this))
    , m_tracker([](const QString &event) { XSAnalyticsManager::shared().track(event); })
{
    resize(800, 500);
    connect(m_countdown, &SplashCountdown::dismissed, this, [this] {
        if (dismissBlock)
            dismissBlock();
    });
}

void HHSplashViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    m_backgroudImgView = new QLabel(this);
    m_backgroudImgView->setGeometry(0, 0, 800, 500);
    m_backgroudImgView->setScaledContents(true);
    m_backgroudImgView->setCursor(Qt::PointingHandCursor);
    // Presses on the picture reach the screen, which follows the link.
    m_backgroudImgView->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_closeBtn = new HHSplashButton(this);
    m_closeBtn->setImageName(QStringLiteral("launch_ad_close"));
    m_closeBtn->setGeometry(800 - 30 - 68, 20, 68, 30);
    m_closeBtn->hide();
    connect(m_closeBtn, &QAbstractButton::clicked, this, &HHSplashViewController::closeAd);
    connect(m_countdown, &SplashCountdown::titleChanged, m_closeBtn, &HHSplashButton::setTitle);
}

void HHSplashViewController::viewWillAppear()
{
    NBBaseViewController::viewWillAppear();
    if (m_tracker)
        m_tracker(QStringLiteral("openScreenAD_show"));
}

void HHSplashViewController::setImage(const QImage &image)
{
    ensureLoaded();
    m_backgroudImgView->setPixmap(QPixmap::fromImage(image));
}

void HHSplashViewController::setupAd()
{
    ensureLoaded();
    if (model && model->imgUrl) {
        if (const std::optional<QString> key = SplashAdStore::adImageKey(*model->imgUrl)) {
            const QImage image = ImageCache::shared().imageFromCacheForKey(*key);
            if (!image.isNull())
                m_backgroudImgView->setPixmap(QPixmap::fromImage(image));
        }
    }
    m_countdown->start(model ? model->closeSeconds : std::nullopt);
    m_closeBtn->setVisible(m_countdown->controlVisible());
}

void HHSplashViewController::openAd()
{
    if (!model || !model->linkUrl)
        return;
    const std::optional<QJsonObject> link = JsonUtils::jsonObjectFromString(*model->linkUrl);
    if (!link)
        return;
    if (tapBlock && m_countdown->tap()) {
        QPointer<HHSplashViewController> self(this);
        QMetaObject::invokeMethod(this, [self, link] {
            if (self && self->tapBlock)
                self->tapBlock(link);
        }, Qt::QueuedConnection);
    }
    if (m_tracker)
        m_tracker(QStringLiteral("openScreenAD_click"));
}

void HHSplashViewController::closeAd()
{
    if (dismissBlock)
        m_countdown->close();
}

void HHSplashViewController::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        openAd();
}

void HHSplashViewController::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(41, 7, 70));
}
