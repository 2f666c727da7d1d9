#include "home/NBSelectLineView.h"

#include <QLabel>

#include "uikit/NSFontHelper.h"
#include "home/AssetImageView.h"
#include "home/CharWrapLabel.h"
#include "home/LineEvents.h"
#include "home/LineSelectorLook.h"
#include "home/NBVPNModeView.h"
#include "uikit/PlainText.h"
#include "uikit/PressClick.h"

namespace {
constexpr int kFlagSide = 28;
constexpr int kFlagLeft = 35;
constexpr int kNameGap = 12;
constexpr int kBadgeWidth = 84;
constexpr int kBadgeHeight = 23;
constexpr int kArrowWidth = 9;
constexpr int kArrowHeight = 12;
constexpr int kArrowRight = 34;
constexpr int kBadgeToArrow = 38;
} // namespace

NBSelectLineView::NBSelectLineView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setCursor(Qt::PointingHandCursor);
    m_maskView = new AssetImageView(QStringLiteral("line_content"), this);
    m_maskView->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_lineFlagView = new AssetImageView(QStringLiteral("flag_place"), m_maskView);
    m_lineFlagView->setCornerRadius(14);
    m_nameText = new CharWrapLabel(QStringLiteral("Best Line"), m_maskView);
    PlainText::makePlain(m_nameText);
    m_nameText->setFont(NSFontHelper::getRegularPingFangFont(18));
    QPalette namePalette = m_nameText->palette();
    namePalette.setColor(QPalette::WindowText, QColor(254, 255, 255));
    m_nameText->setPalette(namePalette);
    m_nameText->setForegroundRole(QPalette::WindowText);
    m_vpnModeView = new NBVPNModeView(m_maskView);
    m_lineArrowView = new AssetImageView(QStringLiteral("line_up"), m_maskView);
    resize(kWidth, kHeight);
    layoutParts();
    PressClick::attach(this, PressClick::ActsOn::Release, [this] { tapClickAction(); });
}

void NBSelectLineView::update(const std::optional<OOHomeNodeModel> &line)
{
    const LineSelectorLook look = LineSelectorLook::forLine(line);
    // setAsset also drops a flag download of the line shown before.
    m_lineFlagView->setAsset(look.iconName);
    LineEvents::track(look.modeEvent);
    m_vpnModeView->update(look.global);
    m_nameText->setText(look.name);
    if (!line)
        return;
    if (look.flagUrl.isValid())
        m_lineFlagView->loadUrl(look.flagUrl, QStringLiteral("flag_place"));
}

void NBSelectLineView::tapClickAction()
{
    if (tapActionBlock)
        tapActionBlock();
}

void NBSelectLineView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutParts();
}

void NBSelectLineView::layoutParts()
{
    m_maskView->setGeometry(rect());
    const int h = height();
    m_lineFlagView->setGeometry(kFlagLeft, (h - kFlagSide) / 2, kFlagSide, kFlagSide);
    const int arrowX = width() - kArrowRight - kArrowWidth;
    m_lineArrowView->setGeometry(arrowX, (h - kArrowHeight) / 2, kArrowWidth, kArrowHeight);
    const int badgeX = arrowX - kBadgeToArrow - kBadgeWidth;
    m_vpnModeView->setGeometry(badgeX, (h - kBadgeHeight) / 2, kBadgeWidth, kBadgeHeight);
    const int nameX = kFlagLeft + kFlagSide + kNameGap;
    m_nameText->setGeometry(nameX, 0, qMax(0, badgeX - 8 - nameX), h);
}
