#include "home/changeModeView.h"

#include <QLabel>

#include "uikit/NSFontHelper.h"
#include "uikit/PlainText.h"

changeModeView::changeModeView(QWidget *parent)
    : RoundedPanel(QColor(60, 58, 62), 15, parent)
{
    const QString style = QStringLiteral("color: rgb(224, 224, 224); background: transparent;");
    m_titleText = PlainText::label(QStringLiteral("模式说明"), this);
    m_titleText->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_titleText->setAlignment(Qt::AlignCenter);
    m_titleText->setStyleSheet(style);
    m_markText = PlainText::label(QStringLiteral("智能模式：仅对海外应用加速，开启后不影响国内应用。\n"
                                           "全局模式：全局加速，开启后国内部分应用将无法使用"),
                            this);
    m_markText->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_markText->setAlignment(Qt::AlignCenter);
    m_markText->setWordWrap(true);
    m_markText->setStyleSheet(style);
    resize(kWidth, kHeight);
}

void changeModeView::resizeEvent(QResizeEvent *event)
{
    RoundedPanel::resizeEvent(event);
    m_titleText->setGeometry((width() - 60) / 2, 18, 60, 20);
    const int top = 18 + 20 + 14;
    m_markText->setGeometry(39, top, qMax(0, width() - 39 - 32), qMax(0, height() - top - 30));
}
