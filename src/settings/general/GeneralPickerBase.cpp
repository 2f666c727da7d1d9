#include "settings/general/GeneralPickerBase.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>

#include "uikit/NBNavView.h"
#include "uikit/UiImages.h"
#include "settings/general/GeneralListFrame.h"
#include "settings/general/NBLanguageCell.h"

GeneralPickerBase::GeneralPickerBase(QWidget *parent)
    : NBBaseViewController(parent)
{
    resize(320, 667);
    setAttribute(Qt::WA_StyledBackground);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, GeneralListFrame::background());
    setPalette(palette);
}

GeneralPickerBase::~GeneralPickerBase() = default;

void GeneralPickerBase::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    m_frame = std::make_unique<GeneralListFrame>(this, QStringLiteral("pickerTable"));
    m_navView = m_frame->navView();
    m_scrollView = m_frame->scrollView();
    m_tableView = m_frame->tableView();
    m_navView->backBtn()->setIcon(UiImages::icon(QStringLiteral("back")));
    m_navView->backBtn()->setIconSize(QSize(16, 16));
    m_navView->backBtn()->setCursor(Qt::PointingHandCursor);
    connect(m_navView->backBtn(), &QPushButton::clicked, this, &GeneralPickerBase::backAction);
    m_navView->titleLab()->setText(titleText());
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
    for (int row = 0; row < numberOfRows(); ++row) {
        auto *cell = new NBLanguageCell(m_tableView);
        cell->setFixedHeight(kRowHeight);
        m_frame->insertRow(row, cell);
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
    if (m_frame)
        m_frame->layout(size());
}
