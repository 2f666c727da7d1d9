#include "login/form/NBTextFiledContentView.h"

#include <QMouseEvent>

#include "uikit/NBBaseTextField.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "uikit/TextFieldStyle.h"

NBTextFiledContentView::NBTextFiledContentView(QWidget *parent)
    : QWidget(parent)
{
    m_contentView = new RoundedPanel(QColor(34, 33, 35), 20, this);

    m_titleLabel = new NBBaseTextField(QStringLiteral("Sign Up"), m_contentView);
    m_titleLabel->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_titleLabel->setFrame(false);
    m_titleLabel->setReadOnly(true);
    QPalette titlePalette = m_titleLabel->palette();
    titlePalette.setColor(QPalette::Text, QColor(191, 191, 191));
    titlePalette.setColor(QPalette::Base, Qt::transparent);
    m_titleLabel->setPalette(titlePalette);
    m_titleLabel->setGeometry(0, 0, 0, 0);
    m_titleLabel->hide();

    m_textFiled = new NBCustomTextField(m_contentView);
    m_textFiled->setFont(NSFontHelper::getRegularPingFangFont(12));
    QPalette palette = m_textFiled->palette();
    palette.setColor(QPalette::Text, QColor(200, 200, 200));
    m_textFiled->setPalette(palette);
    // Long entries keep their end in view: the field scrolls to the caret, which stays at the end.
    m_textFiled->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    TextFieldStyle::setPlaceholder(m_textFiled);
}

void NBTextFiledContentView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_contentView->setGeometry(rect());
    const int fieldHeight = m_textFiled->sizeHint().height();
    const int right = fieldRightInset();
    m_textFiled->setGeometry(23, (height() - fieldHeight) / 2, qMax(0, width() - 23 - right), fieldHeight);
}

void NBTextFiledContentView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void NBTextFiledContentView::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}
