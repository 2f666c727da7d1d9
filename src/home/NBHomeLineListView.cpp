#include "home/NBHomeLineListView.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QPushButton>

#include "uikit/NBMaskControl.h"
#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "home/AssetImageView.h"
#include "home/BandedFill.h"
#include "home/LineEvents.h"
#include "home/NBHomeLineListViewDelegate.h"
#include "home/NBLineSwitchView.h"
#include "home/NBLineTableView.h"
#include "home/NBNewLineBestLocationCell.h"
#include "home/NBTipsShowView.h"
#include "home/changeModeView.h"
#include "networking/OOHostSafeAdpter.h"
#include "vpn/ProxyMode.h"
#include "uikit/PlainText.h"

namespace {

const QColor kDimColour(0, 0, 0, 128);

QLabel *makeLabel(const QString &text, int size, QWidget *parent)
{
    auto *label = PlainText::label(text, parent);
    // Words only: the full-width title lies over the close control, which must get its clicks.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setFont(NSFontHelper::getRegularPingFangFont(size));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(231, 218, 204));
    label->setPalette(palette);
    return label;
}

} // namespace

NBHomeLineListView::NBHomeLineListView(QWidget *parent)
    : OverlayWidget(parent)
{
    resize(800, 500);
    m_control = new NBMaskControl(this);
    // The dimmed cover is painted in bands (see BandedFill), not filled in one go by Qt.
    m_control->installEventFilter(this);

    m_bgView = new RoundedPanel(QColor(42, 41, 44), 20, m_control);
    m_closeView = new AssetImageView(QStringLiteral("right_close"), m_bgView);
    m_closeView->setCursor(Qt::PointingHandCursor);
    m_closeView->installEventFilter(this);
    m_titleText = makeLabel(QStringLiteral("切换线路和模式"), 18, m_bgView);
    m_titleText->setAlignment(Qt::AlignCenter);
    m_tipsText = makeLabel(QStringLiteral("配置您常用的线路和模式"), 12, m_bgView);
    m_tipsText->setAlignment(Qt::AlignCenter);
    m_tipsShowView = new NBTipsShowView(m_bgView);
    m_switchLineView = new NBLineSwitchView(m_bgView);
    m_adjustText = makeLabel(QStringLiteral("调整线路"), 10, m_bgView);
    m_contentView = new RoundedPanel(QColor(42, 41, 44), 15, m_bgView);
    m_tableView = new NBLineTableView(m_contentView);
    m_tableView->setFirstRowIsBestLocation(true);
    m_tableView->setRowHeights(NBNewLineBestLocationCell::kRowHeight, NBNewLineCell::kRowHeight);
    m_tableView->setLines(&m_model.showList);
    m_tableView->shouldSelectRow = [this](int row) { return selectRow(row); };
    m_tableView->cellClickBlock = [this](int row, NBNewLineCell *) { markRow(row); };
    m_changeView = new changeModeView(m_bgView);
    m_changeView->hide();
    m_closeView->raise();

    QPointer<NBHomeLineListView> guard(this);
    m_tipsShowView->tapShowBlock = [guard] {
        if (guard)
            guard->toggleModeExplanation();
    };
    // The switch shows the current mode before it can store anything: opening stores nothing.
    m_switchLineView->switchAction(isProxyModeOn() ? m_switchLineView->secondSideButton()
                                                   : m_switchLineView->firstSideButton());
    m_switchLineView->switchBlock = [guard](int index) {
        if (guard)
            guard->switchMode(index);
    };
    layoutPanel();
}

void NBHomeLineListView::setDelegate(NBHomeLineListViewDelegate *delegate)
{
    m_delegate = delegate;
    QObject *object = dynamic_cast<QObject *>(delegate);
    m_delegateIsObject = object != nullptr;
    m_delegateGuard = object;
}

NBHomeLineListViewDelegate *NBHomeLineListView::delegate() const
{
    if (m_delegateIsObject && !m_delegateGuard)
        return nullptr;
    return m_delegate;
}

void NBHomeLineListView::setShowList(const QList<OOHomeNodeModel> &lines)
{
    m_model.showList = lines;
    m_tableView->reloadData();
}

void NBHomeLineListView::reloadLines()
{
    m_model.reloadLines(OOHostSafeAdpter::shared().currentDomain());
    m_tableView->reloadData();
}

void NBHomeLineListView::tapcloseAction()
{
    m_closing = true;
    closeOverlay();
}

bool NBHomeLineListView::selectRow(int row, bool dragged)
{
    if (m_closing)
        return false;
    const std::optional<OOHomeNodeModel> line = m_model.selectRow(row, dragged);
    if (!line)
        return false;
    m_tableView->reloadData();
    if (NBHomeLineListViewDelegate *owner = delegate())
        owner->lineDidChange(*line);
    LineEvents::track(QStringLiteral("homePage_selectMode_click"));
    tapcloseAction();
    return true;
}

void NBHomeLineListView::switchMode(int index)
{
    if (m_closing)
        return;
    const std::optional<OOHomeNodeModel> line = m_model.switchMode(index);
    if (!line)
        return;
    NBHomeLineListViewDelegate *owner = delegate();
    if (!owner)
        return;
    tapcloseAction();
    owner->lineDidChange(*line);
}

void NBHomeLineListView::toggleModeExplanation()
{
    m_showMark = !m_showMark;
    m_changeView->setVisible(m_showMark);
    if (m_showMark)
        m_changeView->raise();
}

void NBHomeLineListView::markRow(int row)
{
    m_model.markRow(row);
    m_tableView->reloadData();
}

bool NBHomeLineListView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_control && event->type() == QEvent::Paint) {
        QPainter painter(m_control);
        BandedFill::fill(painter, static_cast<QPaintEvent *>(event)->rect(), kDimColour);
        return false;
    }
    if (watched == m_closeView) {
        if (event->type() == QEvent::MouseButtonPress)
            return true;
        if (event->type() == QEvent::MouseButtonRelease) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton && m_closeView->rect().contains(mouse->position().toPoint()))
                tapcloseAction();
            return true;
        }
    }
    return OverlayWidget::eventFilter(watched, event);
}

void NBHomeLineListView::resizeEvent(QResizeEvent *event)
{
    OverlayWidget::resizeEvent(event);
    layoutPanel();
}

void NBHomeLineListView::layoutPanel()
{
    m_control->setGeometry(rect());
    m_bgView->setGeometry((width() - kPanelWidth) / 2, (height() - kPanelHeight) / 2, kPanelWidth, kPanelHeight);
    const int w = kPanelWidth;
    m_closeView->setGeometry(w - 8 - 30, 9, 30, 30);
    m_titleText->setGeometry(0, 22, w, 25);
    m_tipsText->setGeometry(0, 22 + 25 + 6, w, 17);
    const int tipsTop = 22 + 25 + 6 + 17 + 8;
    m_tipsShowView->setGeometry(32, tipsTop, 60, 20);
    const int switchTop = tipsTop + 20 + 10;
    const int switchLeft = (w - 320) / 2;
    m_switchLineView->setGeometry(switchLeft, switchTop, 320, 64);
    const int adjustTop = switchTop + 64 + 9;
    m_adjustText->setGeometry(switchLeft, adjustTop, 200, 14);
    const int tableTop = adjustTop + 14 + 11;
    m_contentView->setGeometry(0, tableTop, w, qMax(0, kPanelHeight - 22 - tableTop));
    m_tableView->setGeometry(m_contentView->rect());
    m_changeView->setGeometry(switchLeft, switchTop + 64 + 9, changeModeView::kWidth, changeModeView::kHeight);
}
