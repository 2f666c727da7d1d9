#include "settings/more/NBMineItemView.h"

#include <QLabel>

#include "uikit/ColorHelpers.h"
#include "uikit/NSFontHelper.h"
#include "uikit/UiImages.h"
#include "uikit/PlainText.h"
#include "uikit/PressClick.h"

namespace {

QLabel *textLabel(QWidget *parent, const QColor &colour)
{
    auto *label = PlainText::label(parent);
    label->setFont(NSFontHelper::getLightPingFangFont(12));
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setStyleSheet(QStringLiteral("background: transparent; color: %1;").arg(colour.name()));
    return label;
}

QLabel *imageLabel(QWidget *parent, const QString &name, const QSize &size)
{
    auto *label = PlainText::label(parent);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setFixedSize(size);
    if (!name.isEmpty())
        label->setPixmap(UiImages::pixmap(name, size));
    return label;
}

} // namespace

NBMineItemView::NBMineItemView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_StyledBackground, false);
    m_iconImgView = imageLabel(this, QString(), QSize(17, 17));
    m_titleLab = textLabel(this, QColor(222, 228, 244));
    m_subTitleLab = textLabel(this, QColor(132, 132, 132));
    m_arrowImgView = imageLabel(this, QStringLiteral("ic_arr_right"), QSize(16, 16));
    m_lineView = new QWidget(this);
    m_lineView->setAttribute(Qt::WA_StyledBackground);
    m_lineView->setStyleSheet(QStringLiteral("background: rgb(33,33,33);"));
    // Added last so it sits over the icon's corner.
    m_redDot = imageLabel(this, QStringLiteral("red_dot_icon"), QSize(6, 6));
    m_redDot->hide();
    setCursor(Qt::PointingHandCursor);
    PressClick::attach(this, PressClick::ActsOn::Press, [this] { Q_EMIT activated(this); });
}

void NBMineItemView::applyCommon(const NBMineModel &model)
{
    m_titleLab->setText(model.title.value_or(QString()));
    m_subTitleLab->setText(model.subTitle.value_or(QString()));
    const QString icon = model.icon.value_or(QString());
    m_iconImgView->setPixmap(icon.isEmpty() ? QPixmap() : UiImages::pixmap(icon, QSize(17, 17)));
    m_redDot->setVisible(model.hadRedDot.value_or(false));
    layoutRow();
}

void NBMineItemView::configure(const NBMineModel &model)
{
    applyCommon(model);
    const bool highlighted = model.type && (*model.type == 0 || *model.type == 6);
    setSubTitleColour(highlighted ? QColor(206, 172, 137) : QColor(132, 132, 132));
    m_type = model.type;
}

void NBMineItemView::setSubTitleColour(const QColor &colour)
{
    m_subTitleLab->setStyleSheet(QStringLiteral("background: transparent; color: %1;").arg(colour.name()));
}

void NBMineItemView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutRow();
}

void NBMineItemView::layoutRow()
{
    const int h = height();
    m_iconImgView->move(25, (h - 17) / 2);
    m_redDot->move(25 + 17 + 2 - 6, (h - 17) / 2 - 2);
    m_titleLab->adjustSize();
    m_titleLab->move(25 + 17 + 18, (h - m_titleLab->height()) / 2);
    m_arrowImgView->move(width() - 25 - 16, (h - 16) / 2);
    m_subTitleLab->adjustSize();
    const int subRight = width() - subTitleTrailingInset();
    const int subLeft = std::max(m_titleLab->geometry().right() + 12, subRight - m_subTitleLab->width());
    m_subTitleLab->setGeometry(subLeft, (h - m_subTitleLab->height()) / 2, std::max(0, subRight - subLeft),
                               m_subTitleLab->height());
    m_subTitleLab->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_lineView->setGeometry(0, h - 1, width(), 1);
}
