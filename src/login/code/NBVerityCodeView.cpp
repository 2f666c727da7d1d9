#include "login/code/NBVerityCodeView.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "uikit/NSFontHelper.h"
#include "uikit/UiTiming.h"
#include "login/code/OnlyIntegerValueFormatter.h"

namespace {

// The background of the boxes: the program's dark background colour.
const QColor kBoxBackground(12, 26, 38);

QString boxStyle(const OOConfig &config, const QColor &border)
{
    const QColor text = config.textColor.value_or(QColor(Qt::black));
    return QStringLiteral("QLineEdit { background: %1; color: %2; border: %3px solid %4; border-radius: %5px; }")
        .arg(kBoxBackground.name(), text.name())
        .arg(config.inputBoxBorderWidth > 0 ? config.inputBoxBorderWidth : 0)
        .arg(border.isValid() ? border.name() : QStringLiteral("transparent"))
        .arg(config.inputBoxCornerRadius > 0 ? config.inputBoxCornerRadius : 0);
}

} // namespace

NBVerityCodeView::NBVerityCodeView(const QSize &size, const OOConfig &config, QWidget *parent)
    : QWidget(parent)
    , m_config(config)
{
    resize(size);
    setupBoxes(size);
}

void NBVerityCodeView::setupBoxes(const QSize &size)
{
    m_hiddenField = new QLineEdit(this);
    m_hiddenField->setGeometry(0, size.height(), 0, 0);
    m_hiddenField->hide();
    m_textField = m_hiddenField;

    const qreal W = size.width();
    const qreal H = size.height();
    OOConfig &c = *m_config;
    if (W <= 0 || H <= 0 || c.inputBoxNumber <= 0 || c.inputBoxWidth > W)
        return;
    const int n = c.inputBoxNumber;
    const qreal s = c.inputBoxSpacing;
    qreal w = c.inputBoxWidth;
    if (w > 0)
        c.leftMargin = (W - n * w - (n - 1) * s) / 2;
    else
        w = (W - (n - 1) * s - 2 * c.leftMargin) / n;
    if (c.leftMargin < 0) {
        c.leftMargin = 0;
        w = (W - (n - 1) * s) / n;
    }
    c.inputBoxWidth = w;
    if (H < c.inputBoxHeight || c.inputBoxHeight <= 0)
        c.inputBoxHeight = H;
    const qreal h = c.inputBoxHeight;

    const QFont font = c.font.value_or(NSFontHelper::getMediumSystemFont(16));
    for (int i = 0; i < n; ++i) {
        auto *box = new QLineEdit(this);
        box->setValidator(new OnlyIntegerValueFormatter(box));
        box->setAlignment(Qt::AlignCenter);
        box->setFont(font);
        box->setAttribute(Qt::WA_MacShowFocusRect, false);
        box->setStyleSheet(boxStyle(c, c.inputBoxColor.value_or(QColor())));
        box->setGeometry(qRound(c.leftMargin + i * (w + s)), qRound((H - h) / 2), qRound(w), qRound(h));
        box->setProperty("tag", i);
        box->installEventFilter(this);
        connect(box, &QLineEdit::textEdited, this, [this, box] { handleEdit(box); });
        m_boxes.append(box);
    }
    m_hiddenField->raise();
    if (c.autoShowKeyboard) {
        UiTiming::singleShot(int(c.autoShowKeyboardDelay * 1000), this, [this] {
            if (m_textField)
                m_textField->setFocus();
        });
    }
}

void NBVerityCodeView::handleEdit(QLineEdit *box)
{
    QString text = box->text();
    if (text.size() >= 2) {
        text = text.right(1);
        box->setText(text);
    }
    if (inputBlock)
        inputBlock(text);

    QStringList filled;
    for (QLineEdit *b : std::as_const(m_boxes)) {
        if (!b->text().isEmpty())
            filled.append(b->text());
    }
    m_stringArray = filled;
    if (m_stringArray.size() > 6)
        return;
    m_inputFinish = m_stringArray.size() == m_config->inputBoxNumber;
    m_textField = box;

    const int next = m_boxes.indexOf(box) + 1;
    if (next > 0 && next < m_boxes.size() && !box->text().isEmpty())
        m_boxes.at(next)->setFocus();
    if (m_inputFinish)
        finishInput();
}

void NBVerityCodeView::finishInput()
{
    const QString whole = code();
    QPointer<NBVerityCodeView> self(this);
    if (finishBlock)
        finishBlock(this, whole);
    if (!self)
        return;
    UiTiming::singleShot(100, this, [this] {
        if (m_textField)
            m_textField->clearFocus();
    });
}

void NBVerityCodeView::resetBoxes()
{
    for (QLineEdit *box : std::as_const(m_boxes)) {
        box->clear();
        box->setStyleSheet(boxStyle(*m_config, m_config->inputBoxColor.value_or(QColor())));
    }
}

void NBVerityCodeView::clearCode()
{
    resetBoxes();
    m_stringArray.clear();
    m_inputFinish = false;
    if (!m_boxes.isEmpty())
        m_textField = m_boxes.first();
}

void NBVerityCodeView::tapActioin()
{
    if (m_textField)
        m_textField->setFocus();
}

void NBVerityCodeView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    tapActioin();
}

bool NBVerityCodeView::eventFilter(QObject *watched, QEvent *event)
{
    // Escape alone gives the focus up, as in every field of the program.
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            if (auto *box = qobject_cast<QLineEdit *>(watched))
                box->clearFocus();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
