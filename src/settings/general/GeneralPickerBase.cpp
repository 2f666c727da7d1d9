#include "settings/general/GeneralPickerBase.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/uikit/NBNavView.h"
#include "app/uikit/UiImages.h"
#include "settings/general/NBLanguageCell.h"

namespace {
const QColor kBackground(13, 25, 37);
}

GeneralPickerBase::GeneralPickerBase(QWidget *parent)
    : NBBaseViewController(parent)
{
    resize(320, 667);
    setAttribute(Qt::WA_StyledBackground);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kBackground);
    setPalette(palette);
}

void GeneralPickerBase::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    m_navView = new NBNavView(this);
    m_navView->setAttribute(Qt::WA_StyledBackground);
    m_navView->setStyleSheet(QStringLiteral("NBNavView { background: rgb(13,25,37); }"));
    m_navView->backBtn()->setIcon(UiImages::icon(QStringLiteral("back")));
    m_navView->backBtn()->setIconSize(QSize(16, 16));
    m_navView->backBtn()->setCursor(Qt::PointingHandCursor);
    connect(m_navView->backBtn(), &QPushButton::clicked, this, &GeneralPickerBase::backAction);
    m_navView->titleLab()->setText(titleText());

    m_scrollView = new QScrollArea(this);
    m_scrollView->setFrameShape(QFrame::NoFrame);
    m_scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollView->setStyleSheet(QStringLiteral("QScrollArea { background: rgb(13,25,37); border: none; }"
                                               "QScrollBar:vertical { background: transparent; width: 6px; }"
                                               "QScrollBar::handle:vertical { background: rgb(60,60,60); border-radius: 3px; }"
                                               "QScrollBar::add-line, QScrollBar::sub-line { height: 0; }"));
    m_scrollView->setWidgetResizable(true);
    m_tableView = new QWidget;
    auto *rows = new QVBoxLayout(m_tableView);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    rows->addStretch(1);
    m_tableView->setObjectName(QStringLiteral("pickerTable"));
    m_tableView->setAttribute(Qt::WA_StyledBackground);
    m_tableView->setStyleSheet(QStringLiteral("#pickerTable { background: rgb(13,25,37); }"));
    m_scrollView->setWidget(m_tableView);
    m_navView->show();
    m_scrollView->show();
    layoutViews();
}

void GeneralPickerBase::backAction()
{
    // Nothing happens when nobody presented the picker.
    dismissController();
}

void GeneralPickerBase::reloadData()
{
    qDeleteAll(m_rows);
    m_rows.clear();
    auto *rows = static_cast<QVBoxLayout *>(m_tableView->layout());
    for (int row = 0; row < numberOfRows(); ++row) {
        auto *cell = new NBLanguageCell(m_tableView);
        cell->setFixedHeight(kRowHeight);
        rows->insertWidget(row, cell);
        cell->titleLab()->setText(rowTitle(row));
        cell->arrowImgView()->setVisible(rowChecked(row));
        QPointer<GeneralPickerBase> self(this);
        connect(cell, &NBLanguageCell::clicked, this, [self, row] {
            if (self)
                self->shouldSelectRow(row);
        });
        m_rows.append(cell);
    }
    m_tableView->setMinimumHeight(int(m_rows.size()) * kRowHeight);
    layoutViews();
}

void GeneralPickerBase::resizeEvent(QResizeEvent *event)
{
    NBBaseViewController::resizeEvent(event);
    layoutViews();
}

void GeneralPickerBase::layoutViews()
{
    if (!m_navView)
        return;
    m_navView->setGeometry(0, 0, width(), kNavHeight);
    m_scrollView->setGeometry(0, kNavHeight, width(), qMax(0, height() - kNavHeight));
}
