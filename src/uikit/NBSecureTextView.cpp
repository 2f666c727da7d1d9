#include "uikit/NBSecureTextView.h"

#include "uikit/NBCustomTextField.h"
#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "uikit/UiImages.h"
#include "uikit/PlainText.h"

#include <QLabel>
#include <QPushButton>

NBSecureTextView::NBSecureTextView(QWidget *parent)
    : QWidget(parent)
{
    contentView();
    titleLabel();
    secTextFiled();
    secrityButton();
}

RoundedPanel *NBSecureTextView::contentView()
{
    if (!m_contentView)
        m_contentView = new RoundedPanel(QColor(34, 33, 35), 20, this);
    return m_contentView;
}

QLabel *NBSecureTextView::titleLabel()
{
    if (!m_titleLabel) {
        m_titleLabel = PlainText::label(QStringLiteral("Sign Up"), contentView());
        m_titleLabel->setFont(NSFontHelper::getRegularPingFangFont(12));
        QPalette palette = m_titleLabel->palette();
        palette.setColor(QPalette::WindowText, QColor(191, 191, 191));
        m_titleLabel->setPalette(palette);
        m_titleLabel->setGeometry(0, 0, 0, 0);
    }
    return m_titleLabel;
}

NBCustomTextField *NBSecureTextView::secTextFiled()
{
    if (!m_field) {
        m_field = new NBCustomTextField(contentView());
        m_field->setEchoMode(QLineEdit::Password);
        m_field->setFont(NSFontHelper::getRegularPingFangFont(14));
    }
    return m_field;
}

NBCustomTextField *NBSecureTextView::textFiled()
{
    return secTextFiled();
}

QPushButton *NBSecureTextView::secrityButton()
{
    if (!m_secrityButton) {
        m_secrityButton = new QPushButton(contentView());
        m_secrityButton->setCheckable(true);
        m_secrityButton->setFlat(true);
        m_secrityButton->setFocusPolicy(Qt::NoFocus);
        m_secrityButton->setCursor(Qt::PointingHandCursor);
        m_secrityButton->setFixedSize(14, 11);
        m_secrityButton->setIconSize(QSize(14, 11));
        m_secrityButton->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; padding: 0; }"));
        QIcon icon;
        icon.addFile(UiImages::path(QStringLiteral("yanjing-biyan")), QSize(14, 11), QIcon::Normal, QIcon::Off);
        icon.addFile(UiImages::path(QStringLiteral("yanjing")), QSize(14, 11), QIcon::Normal, QIcon::On);
        m_secrityButton->setIcon(icon);
        connect(m_secrityButton, &QPushButton::toggled, this, &NBSecureTextView::switchAction);
    }
    return m_secrityButton;
}

bool NBSecureTextView::isTextShown() const
{
    return m_field->echoMode() == QLineEdit::Normal;
}

void NBSecureTextView::switchAction()
{
    const bool show = m_secrityButton->isChecked();
    // The cursor and selection survive the switch: one field, only its echo changes.
    m_field->setEchoMode(show ? QLineEdit::Normal : QLineEdit::Password);
}

void NBSecureTextView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    contentView()->setGeometry(rect());
    const int eyeX = width() - 23 - 14;
    m_secrityButton->move(eyeX, (height() - 11) / 2);
    const int fieldHeight = m_field->sizeHint().height();
    m_field->setGeometry(23, (height() - fieldHeight) / 2, qMax(0, eyeX - 10 - 23), fieldHeight);
}
