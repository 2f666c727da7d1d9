#include "app/HomeWidget.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "common/DefaultsKeys.h"
#include "common/FirstFrameGate.h"
#include "common/JsonUtils.h"
#include "common/Localization.h"
#include "common/MKUserInfoManager.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "common/UserDefaults.h"
#include "networking/OONetWorkTool.h"
#include "vpn/HomeConnectController.h"

namespace {

constexpr int kToastMs = 3000;

QString lineTitle(const OOHomeNodeModel &line)
{
    QString title = line.name;
    if (!line.subName.isEmpty())
        title += QStringLiteral(" · ") + line.subName;
    if (line.ping > 0)
        title += QStringLiteral("   %1 ms").arg(line.ping);
    return title;
}

// A group stands for its lines: the list shows the lines themselves, so a click picks one.
QList<OOHomeNodeModel> flattened(const QList<OOHomeNodeModel> &lines)
{
    QList<OOHomeNodeModel> out;
    for (const OOHomeNodeModel &line : lines) {
        if (line.isGroup && !line.childLines.isEmpty())
            out += line.childLines;
        else
            out += line;
    }
    return out;
}

} // namespace

HomeWidget::HomeWidget(QWidget *parent)
    : QWidget(parent)
{
    m_lineList = new QListWidget(this);
    m_modeBox = new QComboBox(this);
    m_modeBox->addItem(localizedByAppLanguage(QStringLiteral("HOME_MODE_SMART")));
    m_modeBox->addItem(localizedByAppLanguage(QStringLiteral("HOME_MODE_GLOBAL")));
    m_connectButton = new QPushButton(this);
    m_stateLabel = new QLabel(this);
    m_toastLabel = new QLabel(this);
    m_toastLabel->setWordWrap(true);
    // Room for a two-line toast at all times, so the controls never move under the pointer.
    m_toastLabel->setMinimumHeight(m_toastLabel->fontMetrics().lineSpacing() * 2);

    auto *controls = new QHBoxLayout;
    controls->addWidget(m_modeBox);
    controls->addStretch();
    controls->addWidget(m_stateLabel);
    controls->addWidget(m_connectButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_lineList, 1);
    layout->addLayout(controls);
    layout->addWidget(m_toastLabel);

    const qint64 mode = UserDefaults::standard().integerValue(DefaultsKeys::kProxyMode).value_or(0);
    m_modeBox->setCurrentIndex(mode == 1 ? 1 : 0);

    m_controller = new HomeConnectController(*this, this);
    connect(m_lineList, &QListWidget::currentRowChanged, this, &HomeWidget::lineActivated);
    connect(m_controller, &HomeConnectController::chosenLineChanged, this, &HomeWidget::highlightChosenLine);
    connect(m_modeBox, &QComboBox::activated, this, &HomeWidget::modeChosen);
    connect(m_connectButton, &QPushButton::clicked, this, &HomeWidget::connectClicked);
    NotificationCenter::defaultCenter().addObserver(NotificationNames::VPNStop, this,
        [this](const Notification &) { m_controller->stopConnect(); },
        NotificationCenter::Delivery::MainThread);
    showStopped();
}

HomeWidget::~HomeWidget() = default;

void HomeWidget::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The lines come from the network either way; the window is painted before asking for them.
    FirstFrameGate::defer(this, [this] { refresh(); });
}

void HomeWidget::refresh()
{
    const auto user = MKUserInfoManager::shared().currentUser();
    if (user && user->hasToken()) {
        fetchLines();
        return;
    }
    QPointer<HomeWidget> self(this);
    OONetWorkTool::login([self](std::optional<QString> error) {
        if (!self)
            return;
        if (error) {
            self->showErrorToast(*error);
            return;
        }
        self->fetchLines();
    });
}

void HomeWidget::fetchLines()
{
    QPointer<HomeWidget> self(this);
    OONetWorkTool::nodeList([self](std::optional<QString> data, std::optional<NetError> error) {
        if (!self)
            return;
        if (!data) {
            if (error)
                self->showErrorToast(error->message);
            return;
        }
        QList<OOHomeNodeModel> lines;
        const auto object = JsonUtils::jsonObjectFromString(*data);
        const QJsonArray records = object ? object->value(QStringLiteral("page_datas")).toArray() : QJsonArray();
        for (const QJsonValue &record : records) {
            if (record.isObject())
                lines += OOHomeNodeModel::fromJson(record.toObject());
        }
        self->showLines(lines);
    });
}

void HomeWidget::showLines(const QList<OOHomeNodeModel> &lines)
{
    m_controller->setShowList(lines);
    m_lines = flattened(lines);
    const QSignalBlocker blocker(m_lineList);
    m_lineList->clear();
    for (const OOHomeNodeModel &line : m_lines)
        m_lineList->addItem(lineTitle(line));
    highlightChosenLine();
}

void HomeWidget::highlightChosenLine()
{
    const auto chosen = m_controller->cachedLine();
    m_selectedRow = -1;
    for (int row = 0; row < m_lines.size(); ++row) {
        if (chosen && m_lines.at(row).id && chosen->id == m_lines.at(row).id) {
            m_selectedRow = row;
            break;
        }
    }
    const QSignalBlocker blocker(m_lineList);
    m_lineList->setCurrentRow(m_selectedRow);
    // Moving the current row to none leaves the clicked row selected: clear that too.
    if (m_selectedRow < 0)
        m_lineList->clearSelection();
}

void HomeWidget::lineActivated(int row)
{
    if (row < 0 || row >= m_lines.size())
        return;
    if (!m_controller->selectLineRow(m_lines.at(row))) {
        // Refused (a member line for an ordinary user): the highlight goes back to the chosen line.
        highlightChosenLine();
        return;
    }
    m_selectedRow = row;
}

void HomeWidget::modeChosen(int index)
{
    UserDefaults::standard().setInteger(DefaultsKeys::kProxyMode, index == 1 ? 1 : 0);
}

void HomeWidget::connectClicked()
{
    if (m_busy)
        return;
    if (m_on)
        m_controller->stopConnect();
    else
        m_controller->startConnect();
}

void HomeWidget::setState(const char *stateKey, bool on, bool busy)
{
    m_on = on;
    m_busy = busy;
    m_stateLabel->setText(localizedByAppLanguage(QString::fromLatin1(stateKey)));
    m_connectButton->setText(localizedByAppLanguage(on ? QStringLiteral("HOME_DISCONNECT")
                                                       : QStringLiteral("HOME_CONNECT")));
    m_connectButton->setEnabled(!busy);
}

void HomeWidget::showLoading()
{
    setState("HOME_STATE_CONNECTING", false, true);
}

void HomeWidget::showPausing()
{
    setState("HOME_STATE_PAUSED", false, false);
}

void HomeWidget::showRunning()
{
    setState("HOME_STATE_CONNECTED", true, false);
}

void HomeWidget::showStopped()
{
    setState("HOME_STATE_STOPPED", false, false);
}

void HomeWidget::showKillSwitch()
{
    setState("HOME_STATE_KILL_SWITCH", true, false);
}

void HomeWidget::showErrorToast(const QString &text)
{
    showToast(text, QStringLiteral("#d64545"));
}

void HomeWidget::showSuccessToast(const QString &text)
{
    showToast(text, QStringLiteral("#2e9e5b"));
}

void HomeWidget::showToast(const QString &text, const QString &colour)
{
    m_toastLabel->setStyleSheet(QStringLiteral("color: %1;").arg(colour));
    m_toastLabel->setText(text);
    // A toast fades after a while unless a newer one replaced it.
    QPointer<QLabel> label(m_toastLabel);
    QTimer::singleShot(kToastMs, this, [label, text] {
        if (label && label->text() == text)
            label->clear();
    });
}

void HomeWidget::openUpgradePage()
{
    // The purchase page is a web page of its own; until it exists the user is told why.
    showErrorToast(localizedByAppLanguage(QStringLiteral("HOME_NEEDS_MEMBERSHIP")));
}

void HomeWidget::presentFreePage()
{
    showErrorToast(localizedByAppLanguage(QStringLiteral("HOME_NEEDS_MEMBERSHIP")));
}

void HomeWidget::updateConnectedTime(bool running)
{
    Q_UNUSED(running);
}
