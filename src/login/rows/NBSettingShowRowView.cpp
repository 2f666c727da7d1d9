#include "login/rows/NBSettingShowRowView.h"

#include <QFontDatabase>
#include <QLabel>
#include <QMouseEvent>

#include "uikit/NBClickImageView.h"
#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "uikit/UiImages.h"
#include "common/MKUserInfoManager.h"
#include "login/rows/NBSettingRowTexts.h"
#include "uikit/PlainText.h"

namespace {

QLabel *makeLabel(QWidget *parent, const QFont &font, const QColor &colour)
{
    auto *label = PlainText::label(parent);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

QFont monospacedValueFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(10);
    return font;
}

void setColour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

} // namespace

NBSettingShowRowView::NBSettingShowRowView(QWidget *parent)
    : QWidget(parent)
{
    m_contentView = new RoundedPanel(QColor(33, 33, 33), 0, this);
    m_titleLabel = makeLabel(m_contentView, NSFontHelper::getRegularPingFangFont(14), QColor(237, 237, 237));
    m_subTitleLabel = makeLabel(m_contentView, monospacedValueFont(), Qt::white);
    m_moreTitleLabel = makeLabel(m_contentView, monospacedValueFont(), Qt::white);
    m_moreTitleLabel->hide();
    m_lineView = new RoundedPanel(QColor(216, 216, 216), 0, m_contentView);
}

NBClickImageView *NBSettingShowRowView::copyView()
{
    if (!m_copyView) {
        m_copyView = new NBClickImageView(m_contentView);
        m_copyView->setPixmap(UiImages::pixmap(QStringLiteral("copy"), QSize(15, 15), devicePixelRatioF()));
        m_copyView->setCursor(Qt::PointingHandCursor);
        m_copyView->setToolTip(QString());
        connect(m_copyView, &NBClickImageView::clicked, this, &NBSettingShowRowView::copyAction);
        m_copyView->hide();
    }
    return m_copyView;
}

void NBSettingShowRowView::copyAction()
{
    if (copyBlock)
        copyBlock();
}

void NBSettingShowRowView::showItem(const NBSettingCellItem &item)
{
    m_titleLabel->setText(item.title.value_or(QString()));
    const std::optional<HHUserInfo> stored = MKUserInfoManager::shared().currentUser();
    const MKUser *user = stored && stored->user ? &*stored->user : nullptr;
    m_twoLines = false;
    switch (item.cellType) {
    case NBSettingCellType::email:
        if (const auto masked = NBSettingRowTexts::maskedEmail(user ? user->emailAdress.value_or(QString()) : QString()))
            m_subTitleLabel->setText(*masked);
        break;
    case NBSettingCellType::phone:
        if (const auto masked = NBSettingRowTexts::maskedPhone(user ? user->regionCode : QString(),
                                                               user ? user->phone.value_or(QString()) : QString()))
            m_subTitleLabel->setText(*masked);
        break;
    case NBSettingCellType::passWord:
        m_subTitleLabel->setText(item.subTitle.value_or(QString()));
        break;
    case NBSettingCellType::userId:
        m_subTitleLabel->setText(NBSettingRowTexts::userId(stored));
        copyView()->show();
        break;
    case NBSettingCellType::status:
        m_subTitleLabel->setText(item.subTitle.value_or(QString()));
        setColour(m_subTitleLabel, QColor(167, 167, 167));
        break;
    case NBSettingCellType::expiredTime: {
        const NBSettingRowTexts::Expiry expiry = NBSettingRowTexts::expiry(stored);
        m_subTitleLabel->setText(expiry.value);
        m_twoLines = expiry.more.has_value();
        m_moreTitleLabel->setText(expiry.more.value_or(QString()));
        m_moreTitleLabel->setVisible(m_twoLines);
        setColour(m_subTitleLabel, QColor(167, 167, 167));
        setColour(m_moreTitleLabel, QColor(167, 167, 167));
        break;
    }
    case NBSettingCellType::switchAccount:
        break;
    }
    layoutParts();
}

void NBSettingShowRowView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutParts();
}

void NBSettingShowRowView::layoutParts()
{
    m_contentView->setGeometry(rect());
    const int w = width();
    const int h = height();
    m_titleLabel->adjustSize();
    m_titleLabel->move(23, (h - m_titleLabel->height()) / 2);
    m_subTitleLabel->adjustSize();
    const int valueRight = w - 44;
    if (m_twoLines) {
        const int valueTop = (h - m_subTitleLabel->height()) / 2 - 10;
        m_subTitleLabel->move(valueRight - m_subTitleLabel->width(), valueTop);
        m_moreTitleLabel->adjustSize();
        m_moreTitleLabel->move(valueRight - m_moreTitleLabel->width(), valueTop + m_subTitleLabel->height() + 6);
    } else {
        m_subTitleLabel->move(valueRight - m_subTitleLabel->width(), (h - m_subTitleLabel->height()) / 2);
    }
    if (m_copyView)
        m_copyView->setGeometry(w - 19 - 15, (h - 15) / 2, 15, 15);
    m_lineView->setGeometry(15, h - 1, qMax(0, w - 30), 1);
}

void NBSettingShowRowView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void NBSettingShowRowView::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}
