#include "home/unreached/NBModeListView.h"

#include <QMouseEvent>
#include <QPointer>
#include <QVBoxLayout>

#include "uikit/NBBaseView.h"
#include "uikit/UiTiming.h"
#include "common/DefaultsKeys.h"
#include "common/UserDefaults.h"
#include "home/AssetImageView.h"
#include "home/HomeLog.h"
#include "home/NBVPNModeView.h"
#include "home/unreached/NBVPNModeCell.h"

namespace {
constexpr int kRowHeight = 55;
constexpr int kBoxWidth = 275;
constexpr int kBoxHeight = 122;
constexpr int kBoxLeft = 109;
constexpr int kBoxBottom = 88;
constexpr int kCloseDelayMs = 250;
} // namespace

NBModeListView::NBModeListView(QWidget *parent)
    : OverlayWidget(parent)
{
    resize(800, 500);
    m_control = new QWidget(this);
    m_control->setObjectName(QStringLiteral("modeListControl"));
    m_control->setAttribute(Qt::WA_StyledBackground);
    m_control->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_control->setStyleSheet(QStringLiteral("#modeListControl { background: rgba(0, 0, 0, 77); }"));
    m_bgView = new QWidget(this);
    m_contentView = new QWidget(m_bgView);
    m_contentView->setObjectName(QStringLiteral("modeListContent"));
    m_contentView->setAttribute(Qt::WA_StyledBackground);
    m_contentView->setStyleSheet(QStringLiteral("#modeListContent { background: rgb(24, 19, 43); border-radius: 15px; }"));
    m_rows = new QVBoxLayout(m_contentView);
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(0);
    m_iconImageView = new AssetImageView(QStringLiteral("rangtangel"), m_bgView);
    loadModes();
}

NBModeListView *NBModeListView::showForBadge(NBVPNModeView &badge)
{
    auto list = std::make_unique<NBModeListView>();
    QPointer<NBVPNModeView> shownOn(&badge);
    list->didSelectBlock = [shownOn](int type) {
        qCDebug(lcHome) << "mode chosen" << type;
        if (shownOn)
            shownOn->update(type != 0);
    };
    return NBBaseView::show(std::move(list));
}

NBVPNModeCell *NBModeListView::cellAt(int row) const
{
    return row >= 0 && row < m_cells.size() ? m_cells.at(row) : nullptr;
}

void NBModeListView::loadModes()
{
    m_datas = NBVPNModeItem::loadModes(UserDefaults::standard());
    reloadRows();
}

void NBModeListView::reloadRows()
{
    while (m_cells.size() < m_datas.size()) {
        auto *cell = new NBVPNModeCell(m_contentView);
        cell->setFixedHeight(kRowHeight);
        cell->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_rows->addWidget(cell);
        m_cells.append(cell);
    }
    while (m_cells.size() > m_datas.size())
        delete m_cells.takeLast();
    for (int i = 0; i < m_datas.size(); ++i)
        m_cells.at(i)->configure(m_datas.at(i));
}

void NBModeListView::dismiss()
{
    if (m_dismissing)
        return;
    m_dismissing = true;
    const auto done = didDismissSuccessBlock;
    closeOverlay();
    if (done)
        done();
}

bool NBModeListView::select(int row)
{
    if (!didSelectBlock || row < 0 || row >= m_datas.size())
        return false;
    for (NBVPNModeItem &item : m_datas)
        item.isSelected = false;
    m_datas[row].isSelected = true;
    selectModel = m_datas.at(row);
    reloadRows();
    UserDefaults::standard().setInteger(DefaultsKeys::kProxyMode, m_datas.at(row).type);
    UserDefaults::standard().synchronizeOrLog("choosing the proxy mode");
    didSelectBlock(m_datas.at(row).type);
    dismiss();
    return true;
}

int NBModeListView::rowAt(const QPoint &pos) const
{
    for (int i = 0; i < m_cells.size(); ++i) {
        const QRect area(m_cells.at(i)->mapTo(this, QPoint(0, 0)), m_cells.at(i)->size());
        if (area.contains(pos))
            return i;
    }
    return -1;
}

void NBModeListView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void NBModeListView::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        return;
    const int row = rowAt(event->position().toPoint());
    if (row >= 0 && event->button() == Qt::LeftButton) {
        select(row);
        return;
    }
    // Outside the rows: the list closes a moment later, as the platform's list did.
    UiTiming::singleShot(kCloseDelayMs, this, [guard = QPointer<NBModeListView>(this)] {
        if (guard)
            guard->dismiss();
    });
}

void NBModeListView::resizeEvent(QResizeEvent *event)
{
    OverlayWidget::resizeEvent(event);
    m_control->setGeometry(rect());
    m_bgView->setGeometry(kBoxLeft, height() - kBoxBottom - kBoxHeight, kBoxWidth, kBoxHeight);
    // The pointer sits under the box, pointing down at the badge that opened it.
    m_contentView->setGeometry(0, 0, kBoxWidth, 2 * kRowHeight);
    m_iconImageView->setGeometry(30, 2 * kRowHeight, 12, 12);
}
