#include "upgrade/NBUpgradeController.h"

#include <QLabel>
#include <QPalette>

#include <cmath>

#include "uikit/ButtonColors.h"
#include "uikit/HHCircleView.h"
#include "uikit/NBDisableButton.h"
#include "uikit/NSFontHelper.h"
#include "common/ClickableFlag.h"
#include "upgrade/CircularArcImageView.h"
#include "upgrade/UpgradeWindowModel.h"

namespace {

NBCircleViewConfig ringConfig(double width)
{
    NBCircleViewConfig config;
    config.lineColor = Qt::transparent;
    config.circleLineWidth = 8.0;
    config.isCloseWise = false;
    config.startAngle = M_PI / 4;
    config.starPoint = QPointF(width * 0.5, 0);
    config.endPoint = QPointF(width * 0.5, width);
    config.colorArray = {QColor(160, 122, 255), QColor(255, 155, 205)};
    for (int i = 0; i < config.colorArray.size(); ++i)
        config.colorSizeArray << double(i) / double(config.colorArray.size());
    return config;
}

} // namespace

NBUpgradeController::NBUpgradeController(QWidget *parent)
    : NBBaseViewController(parent)
    , m_model(new UpgradeWindowModel(this))
{
    resize(kWidth, kHeight);
}

void NBUpgradeController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(18, 18, 27));
    setPalette(colours);

    m_versionLabel = new QLabel(version.value_or(QString()), this);
    m_versionLabel->setTextFormat(Qt::PlainText);   // the page's own text
    m_versionLabel->setFont(NSFontHelper::getRegularPingFangFont(16));
    m_versionLabel->setStyleSheet(QStringLiteral("color: rgb(222, 228, 244); background: transparent;"));
    m_versionLabel->setAlignment(Qt::AlignCenter);

    m_circleImageView = new CircularArcImageView(this);
    m_circleImageView->setGeometry(0, 0, 150, 150);
    m_circleView = new HHCircleView(m_circleImageView->geometry(), ringConfig(m_circleImageView->width()), this);
    m_circleView->hide();

    m_progressLabel = new QLabel(QStringLiteral("0%"), this);
    m_progressLabel->setFont(NSFontHelper::getRegularPingFangFont(36));
    m_progressLabel->setStyleSheet(QStringLiteral("color: rgb(0, 251, 231); background: transparent;"));
    m_progressLabel->setAlignment(Qt::AlignCenter);

    m_upgradeButton = new NBDisableButton(QStringLiteral("install"), this);
    m_upgradeButton->setBackgroundImage(QStringLiteral("progress"));
    m_upgradeButton->setCornerRadius(15);
    m_upgradeButton->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_upgradeButton->setFocusPolicy(Qt::NoFocus);
    ButtonColors::setTitleWithColor(m_upgradeButton, QStringLiteral("install"), QColor(222, 228, 244));
    ClickableFlag::setIsClickable(m_upgradeButton, true);
    connect(m_upgradeButton, &QPushButton::clicked, this, [this] { upgradeAction(m_upgradeButton); });

    m_model->downloadUrl = downloadUrl;
    m_model->version = version;
    connect(m_model, &UpgradeWindowModel::changed, this, &NBUpgradeController::render);
    resizeEvent(nullptr);
}

void NBUpgradeController::upgradeAction(QObject *sender)
{
    startDownload(sender);
}

void NBUpgradeController::startDownload(QObject *sender)
{
    if (sender)
        ClickableFlag::setIsClickable(sender, false);
    m_model->downloadUrl = downloadUrl;
    m_model->version = version;
    m_model->startDownload(this);
}

void NBUpgradeController::render()
{
    m_circleView->setVisible(m_model->ringVisible());
    m_circleView->setProgress(m_model->ringProgress());
    m_progressLabel->setText(m_model->percentText());
    if (m_model->installing())
        m_versionLabel->setText(QStringLiteral("正在安装，请稍候"));
    else if (!m_model->failureText().isEmpty())
        m_versionLabel->setText(m_model->failureText());
    else
        m_versionLabel->setText(version.value_or(QString()));
}

void NBUpgradeController::resizeEvent(QResizeEvent *)
{
    if (!m_circleImageView)
        return;
    m_versionLabel->setGeometry(20, 96, width() - 40, 30);
    m_circleImageView->setGeometry((width() - 150) / 2, 168, 150, 150);
    m_circleView->setGeometry(m_circleImageView->geometry());
    m_progressLabel->setGeometry(m_circleImageView->geometry().adjusted(-40, 0, 40, 0));
    m_upgradeButton->setGeometry((width() - 336) / 2, height() - 72 - 40, 336, 40);
}
