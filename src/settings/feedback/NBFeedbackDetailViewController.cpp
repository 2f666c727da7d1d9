#include "settings/feedback/NBFeedbackDetailViewController.h"

#include <QJsonValue>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>

#include "uikit/OOLoadingView.h"
#include "uikit/UiTiming.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "networking/OONetWorkTool.h"
#include "settings/feedback/NBFeedbackDetailCell.h"
#include "settings/feedback/NBFeedbackDetailToolView.h"
#include "settings/feedback/NBFeedbackFooter.h"
#include "settings/feedback/NBFeedbackGuestCell.h"
#include "settings/feedback/NBFeedbackInfoCell.h"
#include "settings/feedback/NBFeedbackServiceCell.h"

NBFeedbackDetailViewController::NBFeedbackDetailViewController(QWidget *parent)
    : NBBaseViewController(parent)
{
    setGeometry(363, 0, 366, 500);
}

void NBFeedbackDetailViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    m_scrollView = new QScrollArea(this);
    m_scrollView->setFrameShape(QFrame::NoFrame);
    m_scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollView->setWidgetResizable(false);
    m_scrollView->setStyleSheet(QStringLiteral("QScrollArea { background: rgb(22, 22, 22); }"));
    m_table = new QWidget;
    m_table->setStyleSheet(QStringLiteral("background: rgb(22, 22, 22);"));
    m_scrollView->setWidget(m_table);
    // Scrolled back by the user, the pane no longer follows the end.
    connect(m_scrollView->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        m_followEnd = value == m_scrollView->verticalScrollBar()->maximum();
    });
    m_toolView = new NBFeedbackDetailToolView(this);
    m_toolView->hide();
    m_scrollView->show();
    layoutPane();
}

void NBFeedbackDetailViewController::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(22, 22, 22));
}

void NBFeedbackDetailViewController::resizeEvent(QResizeEvent *event)
{
    NBBaseViewController::resizeEvent(event);
    layoutPane();
}

void NBFeedbackDetailViewController::layoutPane()
{
    if (!m_scrollView)
        return;
    // The bar takes the bottom 68 points while it is shown; otherwise the table reaches down.
    const int bottom = m_toolView->isHidden() ? 0 : NBFeedbackDetailToolView::kHeight;
    m_scrollView->setGeometry(0, 0, width(), height() - bottom);
    m_toolView->setGeometry(0, height() - NBFeedbackDetailToolView::kHeight, width(), NBFeedbackDetailToolView::kHeight);
    int y = 0;
    for (QWidget *row : std::as_const(m_rows)) {
        row->setGeometry(0, y, width(), row->height());
        y += row->height();
    }
    m_table->resize(width(), y);
}

void NBFeedbackDetailViewController::showFeedback()
{
    ensureLoaded();
    // The old conversation goes at once, and with it any answer still on its way.
    ++m_generation;
    // Forgotten at once: the closing cover lives until the event loop deletes it, and the new
    // request must put up a cover of its own.
    if (m_loading)
        m_loading->closeOverlay();
    m_loading = nullptr;
    if (detailModel) {
        detailModel.reset();
        reloadData();
    }
    requestRecord();
    if (model && model->id) {
        m_toolView->feedbackId = QString::number(*model->id);
    } else {
        // Without a feedback there is nobody to reply to: no id, no bar.
        m_toolView->feedbackId.reset();
        m_toolView->hide();
        layoutPane();
    }
    NotificationCenter::defaultCenter().post(NotificationNames::kRefreshMessageData);
}

void NBFeedbackDetailViewController::requestRecord()
{
    if (!model || !model->id)
        return;
    ensureLoaded();
    if (!m_loading)
        m_loading = OOLoadingView::cover(this);
    const qint64 id = *model->id;
    const quint64 generation = m_generation;
    QPointer<NBFeedbackDetailViewController> self(this);
    OONetWorkTool::feedbackRecord(id, [self, id, generation](std::optional<QJsonObject> reply, std::optional<QString>) {
        if (self)
            self->handleRecord(reply, id, generation);
    });
}

void NBFeedbackDetailViewController::handleRecord(const std::optional<QJsonObject> &reply, qint64 requestedId, quint64 generation)
{
    // A late answer for a feedback no longer shown leaves the pane alone.
    const bool current = generation == m_generation && model && model->id && *model->id == requestedId;
    if (!current)
        return;
    if (m_loading)
        m_loading->closeOverlay();
    m_loading = nullptr;
    if (!reply || reply->isEmpty())
        return;
    const QJsonValue data = reply->value(QStringLiteral("data"));
    if (!data.isObject())
        return;
    showConversation(data.toObject());
}

void NBFeedbackDetailViewController::showConversation(const QJsonObject &data)
{
    ensureLoaded();
    detailModel = NBFeedbackDetailModel::fromJson(data);
    const bool closed = detailModel && detailModel->isClosed();
    m_toolView->setVisible(!closed);
    layoutPane();
    reloadData();
    QPointer<NBFeedbackDetailViewController> self(this);
    UiTiming::singleShot(50, this, [self] {
        if (self)
            self->scrollToLastRow();
    });
}

int NBFeedbackDetailViewController::rowCount() const
{
    if (!detailModel)
        return 0;
    const int records = detailModel->record ? int(detailModel->record->size()) : 0;
    return 1 + records + (detailModel->isClosed() ? 1 : 0);
}

int NBFeedbackDetailViewController::rowHeight(QWidget *rowView) const
{
    if (auto *cell = qobject_cast<NBFeedbackDetailCell *>(rowView))
        return cell->preferredHeight(width());
    return 50;
}

QString NBFeedbackDetailViewController::footerText(const std::optional<qint64> &state)
{
    if (state == 2)
        return QStringLiteral("—— 反馈已采纳 ——");
    if (state == 1)
        return QStringLiteral("—— 反馈已结束 ——");
    return QString();
}

QWidget *NBFeedbackDetailViewController::rowView(int row, QWidget *parent) const
{
    if (!detailModel)
        return nullptr;
    const int records = detailModel->record ? int(detailModel->record->size()) : 0;
    if (row == 0) {
        auto *cell = new NBFeedbackInfoCell(parent);
        cell->configure(detailModel->feedbackVo);
        return cell;
    }
    if (row <= records) {
        const NBFeedbackRecordModel &record = detailModel->record->at(row - 1);
        NBFeedbackRecordCell *cell = record.isWrittenByUser() ? static_cast<NBFeedbackRecordCell *>(new NBFeedbackGuestCell(parent))
                                                              : static_cast<NBFeedbackRecordCell *>(new NBFeedbackServiceCell(parent));
        cell->configure(record);
        return cell;
    }
    auto *footer = new NBFeedbackFooter(parent);
    footer->textField()->setText(footerText(detailModel->state));
    return footer;
}

void NBFeedbackDetailViewController::reloadData()
{
    if (!m_table)
        return;
    // Rows are made anew on every reload, as the conversation changes only as a whole.
    qDeleteAll(m_rows);
    m_rows.clear();
    m_followEnd = false;
    for (int row = 0; row < rowCount(); ++row) {
        QWidget *view = rowView(row, m_table);
        if (!view)
            continue;
        view->resize(width(), rowHeight(view));
        if (auto *cell = qobject_cast<NBFeedbackDetailCell *>(view))
            connect(cell, &NBFeedbackDetailCell::preferredHeightChanged, this, &NBFeedbackDetailViewController::rowsGrew);
        view->show();
        m_rows << view;
    }
    layoutPane();
}

void NBFeedbackDetailViewController::rowsGrew()
{
    for (QWidget *row : std::as_const(m_rows))
        row->resize(width(), rowHeight(row));
    layoutPane();
    if (m_followEnd)
        scrollToLastRow();
}

void NBFeedbackDetailViewController::scrollToLastRow()
{
    if (!m_scrollView)
        return;
    m_scrollView->verticalScrollBar()->setValue(m_scrollView->verticalScrollBar()->maximum());
    m_followEnd = true;
}

void NBFeedbackDetailViewController::appendRecord(const std::optional<NBFeedbackRecordModel> &record, qint64 feedbackId)
{
    if (!record)
        return;
    // A reply that lands after another feedback was opened belongs to that one, not this pane.
    if (!model || !model->id || *model->id != feedbackId || !detailModel)
        return;
    // The first reply of a conversation without answers starts its list.
    if (!detailModel->record)
        detailModel->record = QList<NBFeedbackRecordModel>();
    detailModel->record->append(*record);
    reloadData();
    QPointer<NBFeedbackDetailViewController> self(this);
    UiTiming::singleShot(50, this, [self] {
        if (self)
            self->scrollToLastRow();
    });
}
