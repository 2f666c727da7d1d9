#include "login/unreached/NBAccountTextView.h"

#include <QLineEdit>

NBAccountTextView::NBAccountTextView(QWidget *parent)
    : QWidget(parent)
{
}

QLineEdit *NBAccountTextView::textField()
{
    if (m_textField)
        return m_textField;
    m_textField = new QLineEdit(this);
    QPalette palette = m_textField->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    m_textField->setPalette(palette);
    layoutField();
    m_textField->show();
    return m_textField;
}

void NBAccountTextView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The row lays its field out as it draws: the first layout makes it.
    textField();
    layoutField();
}

void NBAccountTextView::layoutField()
{
    m_textField->setGeometry(23, 0, qMax(0, width() - 46), height());
}
