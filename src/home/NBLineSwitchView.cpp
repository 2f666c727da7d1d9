#include "home/NBLineSwitchView.h"

#include <QPushButton>

#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "common/DefaultsKeys.h"
#include "common/UserDefaults.h"
#include "home/markConnerView.h"

namespace {

QPushButton *makeButton(const QString &title, int tag, QWidget *parent)
{
    auto *button = new QPushButton(title, parent);
    button->setProperty("tag", tag);
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace

NBLineSwitchView::NBLineSwitchView(QWidget *parent)
    : QWidget(parent)
{
    m_contentView = new RoundedPanel(QColor(97, 86, 78), 25, this);
    m_firstSideButton = makeButton(QStringLiteral("智能模式"), kSmartTag, m_contentView);
    m_firstSideButton->setFont(NSFontHelper::getRegularPingFangFont(14));
    m_firstSideButton->setStyleSheet(QStringLiteral(
        "QPushButton { background: rgb(206, 180, 129); color: rgb(61, 61, 61); border: none; border-radius: 18px; }"));
    m_secondSideButton = makeButton(QStringLiteral("全局模式"), kGlobalTag, m_contentView);
    styleButton(m_secondSideButton, false);
    // The first button starts in the selected look, so it is the one a first press restyles:
    // otherwise opening in global mode would show both buttons selected.
    m_selectedButton = m_firstSideButton;
    m_markView = new markConnerView(this);
    m_markView->hide();
    // Each button is connected once, here: a press calls the switch once however often it is
    // shown or laid out.
    connect(m_firstSideButton, &QPushButton::clicked, this, [this] { switchAction(m_firstSideButton); });
    connect(m_secondSideButton, &QPushButton::clicked, this, [this] { switchAction(m_secondSideButton); });
    resize(320, 64);
}

void NBLineSwitchView::styleButton(QPushButton *button, bool selected)
{
    button->setFont(NSFontHelper::getRegularPingFangFont(13));
    button->setStyleSheet(selected
        ? QStringLiteral("QPushButton { background: rgb(206, 180, 129); color: rgb(61, 61, 61); border: none; border-radius: 18px; }")
        : QStringLiteral("QPushButton { background: transparent; color: white; border: none; border-radius: 18px; }"));
}

void NBLineSwitchView::switchAction(QPushButton *sender)
{
    if (!sender)
        return;
    const int tag = sender->property("tag").toInt();
    QPushButton *button = nullptr;
    for (QPushButton *candidate : {m_firstSideButton, m_secondSideButton}) {
        if (candidate->property("tag").toInt() == tag)
            button = candidate;
    }
    if (!button)
        return;
    if (m_selectedButton && m_selectedButton != button)
        styleButton(m_selectedButton, false);
    styleButton(button, true);
    m_selectedButton = button;
    if (!switchBlock)
        return;
    UserDefaults::standard().setInteger(DefaultsKeys::kProxyMode, tag - kSmartTag);
    // The reconnect reads the mode held in memory; a failed write only costs the next start.
    UserDefaults::standard().synchronizeOrLog("switching the proxy mode");
    switchBlock(tag - kSmartTag);
}

void NBLineSwitchView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int boxHeight = 50;
    m_contentView->setGeometry(0, height() - boxHeight, width(), boxHeight);
    const int middle = width() / 2;
    m_firstSideButton->setGeometry(9, 6, middle - 3 - 9, boxHeight - 12);
    m_secondSideButton->setGeometry(middle + 3, 6, width() - 9 - middle - 3, boxHeight - 12);
    m_markView->setGeometry(width() - 53, 0, 53, 19);
}
