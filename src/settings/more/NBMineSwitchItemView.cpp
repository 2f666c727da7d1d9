#include "settings/more/NBMineSwitchItemView.h"

#include <QLabel>
#include <QPushButton>

#include "uikit/UiImages.h"

NBMineSwitchItemView::NBMineSwitchItemView(QWidget *parent)
    : NBMineItemView(parent)
{
    arrowImgView()->hide();
    m_switchView = new QPushButton(this);
    m_switchView->setCheckable(true);
    m_switchView->setFlat(true);
    m_switchView->setFocusPolicy(Qt::NoFocus);
    m_switchView->setFixedSize(44, 24);
    m_switchView->setIconSize(QSize(44, 24));
    m_switchView->setCursor(Qt::PointingHandCursor);
    m_switchView->setStyleSheet(QStringLiteral("QPushButton { background: rgb(41,41,41); border: none; border-radius: 9px; }"));
    connect(m_switchView, &QPushButton::clicked, this, &NBMineSwitchItemView::switchAction);
    setCursor(Qt::ArrowCursor);
    showState();
}

bool NBMineSwitchItemView::isOn() const
{
    return m_switchView->isChecked();
}

void NBMineSwitchItemView::configure(const NBMineModel &model)
{
    applyCommon(model);
    setSubTitleColour(QColor(132, 132, 132));
    setOn(model.selected.value_or(false));
}

void NBMineSwitchItemView::setOn(bool on)
{
    m_switchView->setChecked(on);
    showState();
}

void NBMineSwitchItemView::switchAction()
{
    showState();
    if (switchBlock)
        switchBlock(isOn());
}

void NBMineSwitchItemView::showState()
{
    m_switchView->setIcon(UiImages::icon(isOn() ? QStringLiteral("bt_on") : QStringLiteral("bt_off")));
}

void NBMineSwitchItemView::resizeEvent(QResizeEvent *event)
{
    NBMineItemView::resizeEvent(event);
    m_switchView->move(width() - 25 - 44, (height() - 24) / 2);
}
