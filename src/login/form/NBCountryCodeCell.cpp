#include "login/form/NBCountryCodeCell.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include "uikit/NSFontHelper.h"
#include "uikit/PlainText.h"

namespace {

QLabel *makeLabel(QWidget *parent, Qt::Alignment alignment)
{
    auto *label = PlainText::label(parent);
    label->setFont(NSFontHelper::getRegularPingFangFont(14));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(229, 229, 229));
    label->setPalette(palette);
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

} // namespace

NBCountryCodeCell::NBCountryCodeCell(int row, const QString &name, const QString &codeText, QWidget *parent)
    : QWidget(parent)
    , m_row(row)
    , m_fullName(name)
{
    setFixedHeight(kHeight);
    setCursor(Qt::PointingHandCursor);
    m_titleLabel = makeLabel(this, Qt::AlignLeft);
    m_codeLab = makeLabel(this, Qt::AlignRight);
    m_codeLab->setText(codeText);
    const QFontMetrics metrics(m_titleLabel->font());
    m_titleLabel->setText(metrics.elidedText(name, Qt::ElideRight, 140));
    m_titleLabel->setToolTip(name);
}

void NBCountryCodeCell::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_row % 2 == 1 ? QColor(20, 20, 33) : QColor(23, 23, 36));
}

void NBCountryCodeCell::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int nameWidth = qMin(140, m_titleLabel->sizeHint().width());
    m_titleLabel->setGeometry(31, 0, nameWidth, height());
    const int codeWidth = m_codeLab->sizeHint().width();
    m_codeLab->setGeometry(width() - 36 - codeWidth, 0, codeWidth, height());
}

void NBCountryCodeCell::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void NBCountryCodeCell::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (rect().contains(event->position().toPoint()))
        Q_EMIT clicked(m_row);
}
