#include "uikit/NBNavView.h"

#include "uikit/LMViewHelper.h"
#include "uikit/NSFontHelper.h"
#include "uikit/PlainText.h"

#include <QLabel>
#include <QPushButton>

NBNavView::NBNavView(QWidget *parent)
    : QWidget(parent)
{
    backBtn();
    titleLab();
}

QPushButton *NBNavView::backBtn()
{
    if (!m_backBtn) {
        m_backBtn = LMViewHelper::createImageButton(this, QString(), QSize(35, 35));
        m_backBtn->setFixedSize(35, 35);
    }
    return m_backBtn;
}

QLabel *NBNavView::titleLab()
{
    if (!m_titleLab) {
        m_titleLab = PlainText::label(QStringLiteral("选择区域"), this);
        m_titleLab->setFont(NSFontHelper::getRegularPingFangFont(14));
        m_titleLab->setAlignment(Qt::AlignCenter);
        QPalette palette = m_titleLab->palette();
        palette.setColor(QPalette::WindowText, Qt::white);
        m_titleLab->setPalette(palette);
        m_titleLab->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    return m_titleLab;
}

void NBNavView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_backBtn->move(23, (height() - 35) / 2);
    // The title is centred in the bar, whatever the button's width.
    m_titleLab->setGeometry(rect());
    m_titleLab->lower();
}
