#include "login/code/NBRegCodeView.h"

#include <QMouseEvent>
#include <QPushButton>

#include "uikit/ButtonColors.h"
#include "uikit/NBBaseView.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "uikit/UiImages.h"
#include "uikit/WindowInUse.h"
#include "common/Localization.h"
#include "login/form/NBCoutryCodeView.h"
#include "login/code/OnlyIntegerValueFormatter.h"

NBRegCodeView::NBRegCodeView(QWidget *parent)
    : QWidget(parent)
{
    m_contentView = new RoundedPanel(QColor(34, 33, 35), 20, this);

    m_onOrOffButton = new QPushButton(QStringLiteral("+86"), m_contentView);
    m_onOrOffButton->setCheckable(true);
    m_onOrOffButton->setFlat(true);
    m_onOrOffButton->setFocusPolicy(Qt::NoFocus);
    m_onOrOffButton->setCursor(Qt::PointingHandCursor);
    m_onOrOffButton->setFont(NSFontHelper::getRegularPingFangFont(12));
    // The arrow follows the title: down while closed, up while the list is open.
    m_onOrOffButton->setLayoutDirection(Qt::RightToLeft);
    QIcon arrows;
    arrows.addPixmap(UiImages::pixmap(QStringLiteral("arrow_down"), QSize(10, 6), 2.0), QIcon::Normal, QIcon::Off);
    arrows.addPixmap(UiImages::pixmap(QStringLiteral("arrow_up"), QSize(10, 6), 2.0), QIcon::Normal, QIcon::On);
    m_onOrOffButton->setIcon(arrows);
    m_onOrOffButton->setIconSize(QSize(10, 6));
    m_onOrOffButton->setStyleSheet(QStringLiteral("QPushButton { background: transparent; border: none; padding: 0; }"));
    ButtonColors::setFontColor(m_onOrOffButton, QColor(191, 191, 191));
    connect(m_onOrOffButton, &QPushButton::clicked, this, &NBRegCodeView::click);

    m_lineView = new RoundedPanel(QColor(58, 65, 74), 0, m_contentView);

    m_textFiled = new NBCustomTextField(m_contentView);
    m_textFiled->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_textFiled->setValidator(new OnlyIntegerValueFormatter(m_textFiled));
    m_textFiled->setPlaceholderText(localizedByAppLanguage(QStringLiteral("REGISTER_PHONE_HEAD_PLACE")));
    QPalette palette = m_textFiled->palette();
    palette.setColor(QPalette::PlaceholderText, QColor(255, 255, 255, 77));
    m_textFiled->setPalette(palette);
}

NBRegCodeView::~NBRegCodeView()
{
    // The pop-up belongs to the window's content, not to the field: it closes with the field.
    if (m_regCodeView)
        m_regCodeView->closeOverlay();
}

NBCoutryCodeView *NBRegCodeView::regCodeView() const
{
    return m_regCodeView;
}

QString NBRegCodeView::code() const
{
    return m_onOrOffButton->text();
}

void NBRegCodeView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutSubviews();
}

void NBRegCodeView::layoutSubviews()
{
    m_contentView->setGeometry(rect());
    const QSize button = m_onOrOffButton->sizeHint();
    m_onOrOffButton->setGeometry(23, (height() - button.height()) / 2, button.width(), button.height());
    const int lineX = m_onOrOffButton->geometry().right() + 1 + 10;
    m_lineView->setGeometry(lineX, (height() - 30) / 2, 1, 30);
    const int fieldX = lineX + 1 + 10;
    const int fieldHeight = m_textFiled->sizeHint().height();
    m_textFiled->setGeometry(fieldX, (height() - fieldHeight) / 2, qMax(0, width() - 23 - fieldX), fieldHeight);
}

void NBRegCodeView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void NBRegCodeView::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}

void NBRegCodeView::setButtonOff()
{
    m_onOrOffButton->setChecked(false);
    m_isSelected = false;
}

void NBRegCodeView::click()
{
    if (m_isSelected) {
        if (m_regCodeView)
            m_regCodeView->dismiss();
        else
            setButtonOff();
        return;
    }
    QWidget *host = WindowInUse::contentWidget();
    if (!host) {
        // Nothing shown, so nothing to remember as open.
        setButtonOff();
        return;
    }
    auto popup = std::make_unique<NBCoutryCodeView>();
    QPointer<NBRegCodeView> self(this);
    popup->didSelectBlock = [self](const QString &text) {
        if (self)
            self->applyChosenCode(text);
    };
    popup->didDismissSuccessBlock = [self] {
        if (self)
            self->setButtonOff();
    };
    // The button's place in the window's content, counted once.
    const QPoint topLeft = m_onOrOffButton->mapTo(host, QPoint(0, 0));
    popup->contentTop = topLeft.y() + 20;
    popup->contentCenterX = topLeft.x() + m_onOrOffButton->width() / 2.0;
    m_regCodeView = NBBaseView::show(std::move(popup));
    if (!m_regCodeView) {
        setButtonOff();
        return;
    }
    m_isSelected = true;
    m_onOrOffButton->setChecked(true);
}

void NBRegCodeView::applyChosenCode(const QString &text)
{
    ButtonColors::setTitleWithColor(m_onOrOffButton, text, Qt::white);
    layoutSubviews();
    if (!selectCoutryBlock)
        return;
    selectCoutryBlock(text);
    setButtonOff();
}

void NBRegCodeView::dismissPopup()
{
    if (m_regCodeView && m_regCodeView->isVisible())
        m_regCodeView->dismiss();
}
