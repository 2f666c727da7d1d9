#include "settings/general/NBLanguageCell.h"

#include <QLabel>

#include "uikit/NSFontHelper.h"
#include "uikit/UiImages.h"
#include "uikit/PlainText.h"

namespace {
constexpr QSize kCheckSize(16, 12);
}

NBLanguageCell::NBLanguageCell(QWidget *parent)
    : ClickableRow(parent)
{
    m_titleLab = PlainText::label(this);
    m_titleLab->setFont(NSFontHelper::getRegularPingFangFont(13));
    m_titleLab->setStyleSheet(QStringLiteral("background: transparent; color: white;"));
    m_titleLab->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_arrowImgView = new QLabel(this);
    m_arrowImgView->setFixedSize(kCheckSize);
    m_arrowImgView->setPixmap(UiImages::pixmap(QStringLiteral("gou"), kCheckSize));
    m_arrowImgView->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_arrowImgView->hide();
    setCursor(Qt::PointingHandCursor);
}

void NBLanguageCell::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_arrowImgView->move(width() - 16 - kCheckSize.width(), (height() - kCheckSize.height()) / 2);
    m_titleLab->setGeometry(24, 0, qMax(0, m_arrowImgView->x() - 8 - 24), height());
}
