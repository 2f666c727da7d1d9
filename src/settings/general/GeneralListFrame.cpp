#include "settings/general/GeneralListFrame.h"

#include <QScrollArea>
#include <QSize>
#include <QVBoxLayout>

#include "uikit/NBNavView.h"

GeneralListFrame::GeneralListFrame(QWidget *screen, const QString &tableName)
{
    m_navView = new NBNavView(screen);
    m_navView->setAttribute(Qt::WA_StyledBackground);
    m_navView->setStyleSheet(QStringLiteral("NBNavView { background: rgb(13,25,37); }"));

    m_scrollView = new QScrollArea(screen);
    m_scrollView->setFrameShape(QFrame::NoFrame);
    m_scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollView->setStyleSheet(QStringLiteral("QScrollArea { background: rgb(13,25,37); border: none; }"
                                               "QScrollBar:vertical { background: transparent; width: 6px; }"
                                               "QScrollBar::handle:vertical { background: rgb(60,60,60); border-radius: 3px; }"
                                               "QScrollBar::add-line, QScrollBar::sub-line { height: 0; }"));
    // The list takes the scroll area's width; its height is the rows' heights added up.
    m_scrollView->setWidgetResizable(true);
    m_tableView = new QWidget;
    auto *rows = new QVBoxLayout(m_tableView);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    rows->addStretch(1);
    m_tableView->setObjectName(tableName);
    m_tableView->setAttribute(Qt::WA_StyledBackground);
    m_tableView->setStyleSheet(QStringLiteral("#%1 { background: rgb(13,25,37); }").arg(tableName));
    m_scrollView->setWidget(m_tableView);
}

void GeneralListFrame::insertRow(int position, QWidget *row)
{
    static_cast<QVBoxLayout *>(m_tableView->layout())->insertWidget(position, row);
}

void GeneralListFrame::layout(const QSize &size)
{
    m_navView->setGeometry(0, 0, size.width(), kNavHeight);
    m_scrollView->setGeometry(0, kNavHeight, size.width(), qMax(0, size.height() - kNavHeight));
}
