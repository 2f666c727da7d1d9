#include "home/unreached/NBLinesHeaderView.h"

#include <QPushButton>

#include "uikit/NSFontHelper.h"
#include "uikit/UiImages.h"
#include "home/AssetImageView.h"
#include "home/unreached/NBLinesViewController.h"

NBLinesHeaderView::NBLinesHeaderView(QWidget *parent)
    : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(13, 25, 37));
    setPalette(palette);
    setFixedHeight(kHeight);
    m_contentView = new QWidget(this);
    m_contentView->setGeometry(0, 0, 320, kHeight);
    m_allBtn = new QPushButton(m_contentView);
    m_allBtn->setFlat(true);
    m_allBtn->setIcon(UiImages::icon(QStringLiteral("ealth_ico")));
    m_allBtn->setIconSize(QSize(36, 36));
    m_allBtn->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; }"));
    m_allBtn->setGeometry(12, (45 - 36) / 2, 36, 36);
    connect(m_allBtn, &QPushButton::clicked, this, [this] { didClickAction(m_allBtn); });
    m_lineImgView = new AssetImageView(QStringLiteral("home_menu_line"), m_contentView);
    m_lineImgView->setGeometry(32, kHeight - 7 - 2, 4, 2);
}

void NBLinesHeaderView::setItems(const QStringList &keys)
{
    int x = 60;
    for (int i = 0; i < keys.size(); ++i) {
        QPushButton *button = nullptr;
        if (i < btns.size()) {
            button = btns.at(i);
        } else {
            button = new QPushButton(m_contentView);
            button->setFlat(true);
            button->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; color: white; }"));
            // Connected when made, never again: a reused button handles a press once.
            connect(button, &QPushButton::clicked, this, [this, button] { didClickAction(button); });
            btns.append(button);
        }
        button->setText(keys.at(i));
        button->setFont(NSFontHelper::getRegularPingFangFont(12));
        button->adjustSize();
        button->move(x, (45 - button->height()) / 2);
        button->show();
        x += button->width() + 10;
    }
    for (int i = int(keys.size()); i < btns.size(); ++i)
        btns.at(i)->hide();
    m_contentView->resize(qMax(320, x), kHeight);
}

void NBLinesHeaderView::moveIndicator(QPushButton *button)
{
    if (!button)
        return;
    m_lineImgView->move(button->x() + button->width() / 2 - 2, m_lineImgView->y());
}

void NBLinesHeaderView::didClickAction(QPushButton *button)
{
    ++m_handledClicks;
    moveIndicator(button);
    for (QWidget *up = parentWidget(); up; up = up->parentWidget()) {
        if (auto *page = qobject_cast<NBLinesViewController *>(up)) {
            page->switchListType(button == m_allBtn);
            return;
        }
    }
}
