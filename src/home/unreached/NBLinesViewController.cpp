#include "home/unreached/NBLinesViewController.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "uikit/NBNavView.h"
#include "uikit/UiImages.h"
#include "uikit/UiTiming.h"
#include "common/Localization.h"
#include "home/unreached/NBLineGroupCell.h"
#include "home/unreached/NBLinesCell.h"
#include "home/unreached/NBLinesHeaderView.h"
#include "networking/OONetWorkTool.h"
#include "home/HomeLog.h"

namespace {
constexpr int kNavHeight = 74;
constexpr int kSelectDelayMs = 250;
const QColor kPageColour(13, 25, 37);
} // namespace

NBLinesViewController::NBLinesViewController(QWidget *parent)
    : NBBaseViewController(parent)
{
    resize(kWidth, kHeight);
}

void NBLinesViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kPageColour);
    setPalette(palette);

    m_navView = new NBNavView(this);
    m_navView->setGeometry(0, 0, kWidth, kNavHeight);
    m_navView->setAutoFillBackground(true);
    m_navView->setPalette(palette);
    m_navView->backBtn()->setIcon(UiImages::icon(QStringLiteral("back")));
    m_navView->titleLab()->setText(localizedByAppLanguage(QStringLiteral("HOME_PROXY_LINE_REGION_TIP")));
    m_navView->titleLab()->setWordWrap(true);
    // The title is a sentence: it wraps between the back button and the right edge.
    m_navView->titleLab()->setContentsMargins(40, 0, 16, 0);
    connect(m_navView->backBtn(), &QPushButton::clicked, this, [this] { dismissAction(); });

    m_scrollView = new QScrollArea(this);
    m_scrollView->setGeometry(0, kNavHeight, kWidth, height() - kNavHeight);
    m_scrollView->setFrameShape(QFrame::NoFrame);
    m_scrollView->setWidgetResizable(true);
    m_scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_tableView = new QWidget;
    m_tableView->setAutoFillBackground(true);
    m_tableView->setPalette(palette);
    m_rows = new QVBoxLayout(m_tableView);
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(0);
    m_rows->addStretch(1);
    // The header sits over the rows and stays put while they scroll.
    m_headerView = new NBLinesHeaderView(this);
    m_headerView->setAutoFillBackground(true);
    m_headerView->setPalette(palette);
    m_headerView->hide();
    layoutTable();
    m_scrollView->setWidget(m_tableView);
}

void NBLinesViewController::viewWillAppear()
{
    NBBaseViewController::viewWillAppear();
    QPointer<NBLinesViewController> guard(this);
    OONetWorkTool::nodeList([guard](std::optional<QString> text, std::optional<NetError> error) {
        if (guard)
            guard->handleNodeList(text, error.has_value());
    });
}

void NBLinesViewController::handleNodeList(const std::optional<QString> &text, bool failed)
{
    if (failed || !text)
        return;
    const std::optional<QList<OOHomeNodeModel>> lines = NBLinesListModel::handleNodeList(*text);
    if (!lines)
        return;
    setLines(*lines);
}

void NBLinesViewController::setLines(const QList<OOHomeNodeModel> &lines)
{
    ensureLoaded();
    m_model.setLines(lines);
    m_headerView->setVisible(!m_model.listMap.isEmpty());
    m_headerView->setItems(m_model.headerItems());
    layoutTable();
    reloadTable();
}

void NBLinesViewController::layoutTable()
{
    const int headerHeight = m_headerView->isHidden() ? 0 : NBLinesHeaderView::kHeight;
    m_headerView->setGeometry(0, kNavHeight, kWidth, NBLinesHeaderView::kHeight);
    m_scrollView->setGeometry(0, kNavHeight + headerHeight, kWidth, qMax(0, height() - kNavHeight - headerHeight));
}

bool NBLinesViewController::headerShown() const
{
    return m_headerView && !m_headerView->isHidden();
}

QWidget *NBLinesViewController::rowAt(int row) const
{
    return row >= 0 && row < m_rowWidgets.size() ? m_rowWidgets.at(row) : nullptr;
}

void NBLinesViewController::switchListType(bool isAll)
{
    qCDebug(lcHome) << (isAll ? "选择 all" : "选择 smart");
    m_model.switchListType(isAll);
    reloadTable();
}

void NBLinesViewController::reloadTable()
{
    qDeleteAll(m_rowWidgets);
    m_rowWidgets.clear();
    for (int i = 0; i < m_model.showList.size(); ++i) {
        const OOHomeNodeModel &line = m_model.showList.at(i);
        QWidget *row = nullptr;
        if (line.isGroup) {
            auto *cell = new NBLineGroupCell(m_tableView);
            cell->configure(line);
            QPointer<NBLinesViewController> guard(this);
            cell->hideOrShowBlock = [guard, i](bool open) {
                if (!guard || i >= guard->m_model.showList.size())
                    return;
                guard->m_model.showList[i].isSelectedState = open;
                guard->m_model.toggleGroup(i);
                // The cell that called is among the rows replaced: replace them afterwards.
                QMetaObject::invokeMethod(guard, [guard] { if (guard) guard->reloadTable(); }, Qt::QueuedConnection);
            };
            row = cell;
        } else {
            auto *cell = new NBLinesCell(m_tableView);
            cell->configure(line);
            cell->clickBlock = [this, cell] {
                for (QWidget *other : std::as_const(m_rowWidgets)) {
                    if (auto *lineCell = qobject_cast<NBLinesCell *>(other))
                        lineCell->onOrOffButton()->setChecked(lineCell == cell);
                }
            };
            row = cell;
        }
        row->setFixedHeight(kRowHeight);
        row->installEventFilter(this);
        m_rows->insertWidget(m_rows->count() - 1, row);
        m_rowWidgets.append(row);
    }
}

bool NBLinesViewController::selectRow(int row)
{
    QPointer<NBLinesViewController> guard(this);
    UiTiming::singleShot(kSelectDelayMs, this, [guard, row] {
        if (!guard || !guard->didSelectBlock)
            return;
        const std::optional<OOHomeNodeModel> line = guard->m_model.selectRow(row);
        guard->reloadTable();
        if (!line)
            return;
        guard->didSelectBlock(OOSelectLineType::custom(*line));
        if (guard && guard->presentVC)
            guard->dismissAction();
    });
    return true;
}

void NBLinesViewController::dismissAction()
{
    if (presentVC)
        presentVC->dismissViewController(this);
}

bool NBLinesViewController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const int row = int(m_rowWidgets.indexOf(qobject_cast<QWidget *>(watched)));
        if (row >= 0 && mouse->button() == Qt::LeftButton) {
            selectRow(row);
            return true;
        }
    }
    return NBBaseViewController::eventFilter(watched, event);
}
