#include "uikit/NBAlertView.h"

#include "uikit/ButtonColors.h"
#include "uikit/NBDisableButton.h"
#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "common/ClickableFlag.h"
#include "uikit/PlainText.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>

#include <climits>

namespace {

QLabel *makeLabel(QWidget *parent, int size)
{
    auto *label = PlainText::label(parent);
    label->setFont(NSFontHelper::getRegularPingFangFont(size));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    return label;
}

NBDisableButton *makeButton(QWidget *parent, const QString &image, const QString &title, const QColor &colour)
{
    auto *button = new NBDisableButton(title, parent);
    button->setBackgroundImage(image);
    button->setCornerRadius(15);
    button->setFixedSize(140, 40);
    button->setFont(NSFontHelper::getRegularPingFangFont(12));
    button->setFocusPolicy(Qt::StrongFocus);
    // Styled with its first title only: a caller's new title shows in the default button style.
    ButtonColors::setAttributedTitleWithColor(button, title, colour);
    ClickableFlag::setIsClickable(button, true);
    return button;
}

} // namespace

NBAlertView::NBAlertView(QWidget *parent)
    : NBBaseView(parent)
{
    resize(800, 500);
    titleLabel();
    tipsLabel();
    cancleButton();
    confirmButton();
    contentView()->installEventFilter(this);
    layoutPanel();
}

QLabel *NBAlertView::titleLabel()
{
    if (!m_titleLabel)
        m_titleLabel = makeLabel(contentView(), 14);
    return m_titleLabel;
}

QLabel *NBAlertView::tipsLabel()
{
    if (!m_tipsLabel)
        m_tipsLabel = makeLabel(contentView(), 12);
    return m_tipsLabel;
}

NBDisableButton *NBAlertView::cancleButton()
{
    if (!m_cancleButton) {
        m_cancleButton = makeButton(contentView(), QStringLiteral("pop_cancle"), QStringLiteral("取消"), QColor(222, 228, 244));
        connect(m_cancleButton, &QPushButton::clicked, this, &NBAlertView::cancelAction);
    }
    return m_cancleButton;
}

NBDisableButton *NBAlertView::confirmButton()
{
    if (!m_confirmButton) {
        m_confirmButton = makeButton(contentView(), QStringLiteral("pop_sure"), QStringLiteral("确定"), QColor(26, 15, 5));
        connect(m_confirmButton, &QPushButton::clicked, this, &NBAlertView::confirmAction);
    }
    return m_confirmButton;
}

void NBAlertView::cancelAction()
{
    runAndClose(cancelBlock);
}

void NBAlertView::confirmAction()
{
    runAndClose(confirmBlock);
}

void NBAlertView::runAndClose(const std::function<void()> &block)
{
    QPointer<NBAlertView> self(this);
    // A copy: the block may reset the alert's blocks, or delete the alert with its parent.
    const std::function<void()> run = block;
    if (run)
        run();
    if (self)
        self->closeOverlay();
}

int NBAlertView::textHeight(const QLabel *label, int width) const
{
    if (label->text().isEmpty())
        return 0;
    return QFontMetrics(label->font()).boundingRect(QRect(0, 0, width, INT_MAX), Qt::TextWordWrap, label->text()).height();
}

int NBAlertView::panelHeight() const
{
    const int title = textHeight(m_titleLabel, kPanelWidth - 50);
    const int tips = textHeight(m_tipsLabel, kPanelWidth - 32);
    return 18 + title + 10 + tips + 15 + 40 + 13;
}

void NBAlertView::layoutPanel()
{
    const int title = textHeight(m_titleLabel, kPanelWidth - 50);
    const int tips = textHeight(m_tipsLabel, kPanelWidth - 32);
    const int height = panelHeight();
    contentView()->setGeometry((width() - kPanelWidth) / 2, (this->height() - height) / 2, kPanelWidth, height);
    m_titleLabel->setGeometry(25, 18, kPanelWidth - 50, title);
    m_tipsLabel->setGeometry(16, 18 + title + 10, kPanelWidth - 32, tips);
    const int buttonsTop = 18 + title + 10 + tips + 15;
    m_cancleButton->move(17, buttonsTop);
    // A warning with one answer (the cancel button hidden) has that answer in the middle.
    const bool alone = !m_cancleButton->isVisibleTo(this);
    m_confirmButton->move(alone ? (kPanelWidth - 140) / 2 : kPanelWidth - 17 - 140, buttonsTop);
}

void NBAlertView::resizeEvent(QResizeEvent *event)
{
    NBBaseView::resizeEvent(event);
    layoutPanel();
}

bool NBAlertView::event(QEvent *event)
{
    // Texts are set after creation: lay out again when shown.
    if (event->type() == QEvent::Show || event->type() == QEvent::Polish)
        layoutPanel();
    return NBBaseView::event(event);
}

bool NBAlertView::eventFilter(QObject *watched, QEvent *event)
{
    // A label whose text changed asks its parent, the panel, for a new layout.
    if (watched == contentView() && event->type() == QEvent::LayoutRequest)
        layoutPanel();
    return NBBaseView::eventFilter(watched, event);
}
