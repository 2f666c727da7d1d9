#include "settings/message/NBMessageViewController.h"

#include <QJsonArray>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "networking/OONetWorkTool.h"
#include "networking/XSAnalyticsManager.h"
#include "settings/NBMessageDefaultView.h"
#include "settings/SettingsBackButton.h"
#include "settings/SplitListPane.h"
#include "settings/message/NBMessageDetailViewController.h"
#include "settings/message/NBMessageItem.h"

namespace {
constexpr int kListTop = SettingsBackButton::kTitleLineHeight;
constexpr int kListWidth = 362;
constexpr int kRowHeight = 80;
} // namespace

NBMessageViewController::NBMessageViewController(QWidget *parent)
    : NBBaseViewController(parent)
{
    resize(728, 500);
}

void NBMessageViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    setupViews();
    if (requestsOnLoad)
        requestMessages();
}

void NBMessageViewController::viewWillAppear()
{
    NBBaseViewController::viewWillAppear();
    XSAnalyticsManager::shared().track(QStringLiteral("messagePage_open"));
}

void NBMessageViewController::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(22, 22, 22));
}

void NBMessageViewController::setupViews()
{
    m_backBtn = new SettingsBackButton(QStringLiteral("消息中心"), this);

    m_scrollView = new QScrollArea(this);
    m_scrollView->setFrameShape(QFrame::NoFrame);
    m_scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollView->setWidgetResizable(false);
    // Style sheets only on the scroll bar: one on the list would be applied to every row.
    m_scrollView->verticalScrollBar()->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { background: transparent; width: 6px; }"
        "QScrollBar::handle:vertical { background: rgb(60, 60, 60); border-radius: 3px; }"
        "QScrollBar::add-line, QScrollBar::sub-line { height: 0; }"));
    m_scrollView->setGeometry(0, kListTop, kListWidth, height() - kListTop);
    QPalette dark = m_scrollView->palette();
    dark.setColor(QPalette::Window, QColor(22, 22, 22));
    m_scrollView->setPalette(dark);
    m_scrollView->viewport()->setAutoFillBackground(true);
    m_tableview = new QWidget;
    m_tableview->setPalette(dark);
    m_tableview->setAutoFillBackground(true);
    m_tableview->resize(kListWidth, 0);
    m_scrollView->setWidget(m_tableview);
}

void NBMessageViewController::requestMessages()
{
    QPointer<NBMessageViewController> self(this);
    OONetWorkTool::messageList(page, [self](std::optional<QJsonObject> reply, std::optional<QString>) {
        if (self)
            self->handleMessages(reply);
    });
}

void NBMessageViewController::handleMessages(const std::optional<QJsonObject> &reply)
{
    ensureLoaded();
    if (!reply || reply->isEmpty())
        return;
    const QJsonValue data = reply->value(QStringLiteral("data"));
    if (!data.isArray())
        return;
    for (const QJsonValue &entry : data.toArray()) {
        if (!entry.isObject())
            continue;
        if (const std::optional<NBMessageListModel> model = NBMessageListModel::fromJson(entry.toObject()))
            datas << *model;
    }
    reloadData();
    if (datas.isEmpty())
        showEmptyState();
    else
        removeEmptyState();
}

bool NBMessageViewController::isShown(const NBMessageListModel &record) const
{
    return selectModel && selectModel->id && record.id == selectModel->id;
}

int NBMessageViewController::shownRow() const
{
    for (int row = 0; row < datas.size(); ++row) {
        if (isShown(datas.at(row)))
            return row;
    }
    return -1;
}

void NBMessageViewController::reloadData()
{
    qDeleteAll(m_rows);
    m_rows.clear();
    for (int row = 0; row < datas.size(); ++row) {
        auto *item = new NBMessageItem(m_tableview);
        item->setGeometry(0, row * kRowHeight, kListWidth, kRowHeight);
        item->configure(datas.at(row));
        item->setSelected(isShown(datas.at(row)));
        // Queued: the click's own handling ends before the rows change.
        connect(item, &NBMessageItem::clicked, this, [this, row] { selectMessage(row); }, Qt::QueuedConnection);
        item->show();
        m_rows << item;
    }
    m_tableview->resize(kListWidth, int(datas.size()) * kRowHeight);
}

void NBMessageViewController::refreshRow(int row)
{
    if (row < 0 || row >= datas.size() || row >= m_rows.size())
        return;
    m_rows.at(row)->configure(datas.at(row));
    m_rows.at(row)->setSelected(isShown(datas.at(row)));
}

bool NBMessageViewController::selectMessage(int row)
{
    if (row < 0 || row >= datas.size())
        return false;
    NBMessageListModel &record = datas[row];
    if (!record.id)
        return false;
    if (isShown(record))
        return false;
    const int previous = shownRow();
    selectModel = record;
    showSelectedMessage();
    if (record.isRead == 0) {
        record.isRead = 1;
        selectModel->isRead = 1;
        sendReadMark(*record.id);
    }
    // Only the two rows that changed are drawn again: the list may hold thousands.
    refreshRow(previous);
    refreshRow(row);
    return true;
}

void NBMessageViewController::attachDetail()
{
    ensureLoaded();
    SplitListPane::attach(this, detailVC());
}

void NBMessageViewController::showSelectedMessage()
{
    attachDetail();
    NBMessageDetailViewController *detail = detailVC();
    detail->model = selectModel;
    detail->loadMessage();
}

void NBMessageViewController::sendReadMark(qint64 messageId)
{
    QPointer<NBMessageViewController> self(this);
    OONetWorkTool::readMessage(messageId, [self, messageId](bool stored) {
        // The detail asked the dots to count when it showed the message, before the service had
        // the mark; now that it has it they count again. The local mark stays either way.
        if (stored)
            NotificationCenter::defaultCenter().post(NotificationNames::kRefreshMessageData);
        if (self)
            Q_EMIT self->readMarkAnswered(messageId, stored);
    });
}

NBMessageDetailViewController *NBMessageViewController::detailVC()
{
    if (!m_detailVC) {
        m_detailVC = new NBMessageDetailViewController(this);
        m_detailVC->hide();
    }
    return m_detailVC;
}

NBMessageDefaultView *NBMessageViewController::emptyState() const
{
    return findChild<NBMessageDefaultView *>(QString(), Qt::FindDirectChildrenOnly);
}

void NBMessageViewController::removeEmptyState()
{
    NBMessageDefaultView::removeFrom(this);
}

void NBMessageViewController::showEmptyState()
{
    // Below the title line: the back button stays reachable (over it, nobody could leave).
    NBMessageDefaultView::showOn(this, QRect(0, kListTop, width(), height() - kListTop), QStringLiteral("您还没有消息"), false);
}
