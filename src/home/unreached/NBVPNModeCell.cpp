#include "home/unreached/NBVPNModeCell.h"

#include <QLabel>

#include "uikit/NBDisableButton.h"
#include "uikit/NSFontHelper.h"
#include "home/AssetImageView.h"
#include "uikit/PlainText.h"

NBVPNModeCell::NBVPNModeCell(QWidget *parent)
    : QWidget(parent)
{
    m_contentView = new QWidget(this);
    m_contentView->setObjectName(QStringLiteral("modeCellContent"));
    m_contentView->setAttribute(Qt::WA_StyledBackground);
    m_iconView = new AssetImageView(QString(), m_contentView);
    m_titleLabel = PlainText::label(m_contentView);
    m_titleLabel->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_titleLabel->setStyleSheet(QStringLiteral("color: rgb(222, 215, 249); background: transparent;"));
    m_codeLab = PlainText::label(m_contentView);
    m_codeLab->setFont(NSFontHelper::getRegularPingFangFont(10));
    m_codeLab->setStyleSheet(QStringLiteral("color: rgb(136, 127, 168); background: transparent;"));
    m_onOrOffButton = new NBDisableButton(QString(), m_contentView);
    m_onOrOffButton->setCheckable(true);
    m_onOrOffButton->setFocusPolicy(Qt::NoFocus);
    m_onOrOffButton->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_onOrOffButton->setBackgroundImage(QStringLiteral("choice_out"));
}

void NBVPNModeCell::configure(const NBVPNModeItem &item)
{
    m_titleLabel->setText(item.title);
    m_codeLab->setText(item.subTitle);
    m_iconView->setAsset(item.imageName);
    const bool selected = item.selected();
    m_selected = selected;
    m_contentView->setStyleSheet(
        selected ? QStringLiteral("#modeCellContent { background: rgb(24, 19, 43); border: 1px solid rgb(252, 179, 248); }")
                 : QStringLiteral("#modeCellContent { background: rgb(0, 0, 0); border: none; }"));
    m_onOrOffButton->setChecked(selected);
    m_onOrOffButton->setBackgroundImage(selected ? QStringLiteral("choice_on") : QStringLiteral("choice_out"));
}

void NBVPNModeCell::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_contentView->setGeometry(rect());
    const int h = height();
    m_iconView->setGeometry(17, (h - 11) / 2, 11, 11);
    const int textX = 17 + 11 + 12;
    const int buttonX = width() - 13 - 15;
    m_titleLabel->setGeometry(textX, 9, qMax(0, buttonX - 8 - textX), 17);
    m_codeLab->setGeometry(textX, h - 9 - 14, qMax(0, buttonX - 8 - textX), 14);
    m_onOrOffButton->setGeometry(buttonX, (h - 15) / 2, 15, 15);
}
