#include "settings/feedback/NBFeedbackListViewController.h"

#include <QJsonArray>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include "uikit/OOLoadingView.h"
#include "networking/OONetWorkTool.h"
#include "settings/NBMessageDefaultView.h"
#include "settings/SettingsBackButton.h"
#include "settings/SplitListPane.h"
#include "settings/feedback/NBContactViewController.h"
#include "settings/feedback/NBFeedbackDetailViewController.h"
#include "settings/feedback/NBFeedbackItem.h"
#include "settings/feedback/NBFeedbackListToolView.h"

namespace {
constexpr int kListTop = SettingsBackButton::kTitleLineHeight;
constexpr int kListWidth = 362;
constexpr int kBarHeight = 76;
constexpr int kRowHeight = 80;
} // namespace

NBFeedbackListViewController::NBFeedbackListViewController(QWidget *parent)
    : NBBaseViewController(parent)
{
    resize(728, 500);
}

void NBFeedbackListViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    setupViews();
    if (requestsOnLoad)
        requestFeedbackList();
}

void NBFeedbackListViewController::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(22, 22, 22));
}

QRect NBFeedbackListViewController::listFrame() const
{
    return QRect(0, kListTop, kListWidth, height() - kListTop - kBarHeight);
}

void NBFeedbackListViewController::setupViews()
{
    m_backBtn = new SettingsBackButton(QStringLiteral("意见反馈"), this);

    m_scrollView = new QScrollArea(this);
    m_scrollView->setFrameShape(QFrame::NoFrame);
    m_scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollView->setWidgetResizable(false);
    m_scrollView->setStyleSheet(QStringLiteral("QScrollArea { background: rgb(38, 26, 71); }"));
    m_scrollView->setGeometry(listFrame());
    m_tableview = new QWidget;
    m_tableview->setStyleSheet(QStringLiteral("background: rgb(22, 22, 22);"));
    m_tableview->resize(kListWidth, 0);
    m_scrollView->setWidget(m_tableview);

    m_toolView = new NBFeedbackListToolView(this);
    m_toolView->setGeometry(0, height() - kBarHeight, kListWidth, kBarHeight);
    m_toolView->hide();
}

void NBFeedbackListViewController::requestFeedbackList()
{
    ensureLoaded();
    if (!m_loading)
        m_loading = OOLoadingView::cover(this);
    const quint64 request = m_lists.ask();
    QPointer<NBFeedbackListViewController> self(this);
    OONetWorkTool::feedbackList(page, [self, request](std::optional<QJsonObject> reply, std::optional<QString>) {
        if (self)
            self->handleList(reply, request);
    });
}

void NBFeedbackListViewController::handleList(const std::optional<QJsonObject> &reply, quint64 request)
{
    if (m_loading)
        m_loading->closeOverlay();
    request = m_lists.numbered(request);
    if (m_lists.stale(request))
        return;
    if (!reply || reply->isEmpty())
        return;
    const QJsonObject data = reply->value(QStringLiteral("data")).toObject();
    const QJsonValue pageDatas = data.value(QStringLiteral("page_datas"));
    if (data.isEmpty() || !pageDatas.isArray())
        return;
    m_lists.taken(request);
    datas.clear();
    for (const QJsonValue &entry : pageDatas.toArray()) {
        if (!entry.isObject())
            continue;
        if (const std::optional<NBFeedbackListModel> model = NBFeedbackListModel::fromJson(entry.toObject()))
            datas << *model;
    }
    reloadData();
    if (datas.isEmpty()) {
        showEmptyState();
        m_toolView->hide();
    } else {
        removeEmptyState();
        m_toolView->show();
    }
}

void NBFeedbackListViewController::reloadData()
{
    qDeleteAll(m_rows);
    m_rows.clear();
    for (int row = 0; row < datas.size(); ++row) {
        auto *item = new NBFeedbackItem(m_tableview);
        item->setGeometry(0, row * kRowHeight, kListWidth, kRowHeight);
        item->configure(datas.at(row));
        item->setSelected(selectModel && datas.at(row).id == selectModel->id);
        // Queued: choosing rebuilds the rows, the clicked one among them.
        connect(item, &NBFeedbackItem::clicked, this, [this, row] { selectFeedback(row); }, Qt::QueuedConnection);
        item->show();
        m_rows << item;
    }
    m_tableview->resize(kListWidth, int(datas.size()) * kRowHeight);
}

void NBFeedbackListViewController::removeEmptyState()
{
    NBMessageDefaultView::removeFrom(this);
}

void NBFeedbackListViewController::showEmptyState()
{
    // Over the list only: the back button above it stays reachable.
    NBMessageDefaultView::showOn(this, QRect(0, kListTop, kListWidth, height() - kListTop), QStringLiteral("您还没有反馈记录"), true);
}

bool NBFeedbackListViewController::selectFeedback(int row)
{
    if (row < 0 || row >= datas.size())
        return false;
    NBFeedbackListModel &record = datas[row];
    const std::optional<qint64> shownId = selectModel ? selectModel->id : std::nullopt;
    if (record.id == shownId)
        return false;
    record.isRead = 0;
    selectModel = record;
    showSelectedFeedback();
    reloadData();
    return true;
}

void NBFeedbackListViewController::detach(NBBaseViewController *pane)
{
    unembedChildViewController(pane);
}

void NBFeedbackListViewController::showSelectedFeedback()
{
    detach(m_feedbackVc);
    NBFeedbackDetailViewController *detail = detailVC();
    SplitListPane::attach(this, detail);
    detail->model = selectModel;
    detail->showFeedback();
}

void NBFeedbackListViewController::showFeedbackForm()
{
    selectModel.reset();
    showSelectedFeedback();
    reloadData();
    detach(m_detailVC);
    SplitListPane::attach(this, feedbackVc());
}

NBFeedbackDetailViewController *NBFeedbackListViewController::detailVC()
{
    if (!m_detailVC) {
        m_detailVC = new NBFeedbackDetailViewController(this);
        m_detailVC->hide();
    }
    return m_detailVC;
}

NBContactViewController *NBFeedbackListViewController::feedbackVc()
{
    if (!m_feedbackVc) {
        m_feedbackVc = new NBContactViewController(this);
        m_feedbackVc->hide();
        QPointer<NBFeedbackListViewController> self(this);
        m_feedbackVc->feedbackBlock = [self] {
            if (!self)
                return;
            self->requestFeedbackList();
            self->detach(self->m_feedbackVc);
        };
    }
    return m_feedbackVc;
}
