#include "settings/general/NBGeneralViewController.h"

#include <QDebug>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>

#include "uikit/NBAlertView.h"
#include "uikit/NBControllerView.h"
#include "uikit/NBDisableButton.h"
#include "uikit/NBNavView.h"
#include "uikit/NBPresentationAnimator.h"
#include "uikit/RoundedPanel.h"
#include "common/DefaultsKeys.h"
#include "common/Localization.h"
#include "common/UserDefaults.h"
#include "settings/general/GeneralListFrame.h"
#include "settings/general/GeneralSettings.h"
#include "settings/general/NBGeneralCell.h"
#include "settings/general/NBGeneralResetCell.h"
#include "settings/general/NBGeneralSwitchCell.h"
#include "settings/general/NBLanguageViewController.h"
#include "settings/general/NBSortViewController.h"
#include "settings/SettingsLog.h"

namespace {

QString localized(const char *key)
{
    return localizedByAppLanguage(QString::fromLatin1(key));
}

} // namespace

NBGeneralViewController::NBGeneralViewController(QWidget *parent)
    : NBBaseViewController(parent)
{
    resize(NBControllerView::contentSize());
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, GeneralListFrame::background());
    setPalette(palette);
}

NBGeneralViewController::~NBGeneralViewController() = default;

void NBGeneralViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    m_frame = std::make_unique<GeneralListFrame>(this, QStringLiteral("generalTable"));
    m_navView = m_frame->navView();
    m_scrollView = m_frame->scrollView();
    m_tableView = m_frame->tableView();
    m_navView->backBtn()->hide();
    m_navView->titleLab()->setText(localized("GENERAL_TITLE"));
    m_navView->show();
    m_scrollView->show();
    layoutViews();
}

void NBGeneralViewController::viewWillAppear()
{
    NBBaseViewController::viewWillAppear();
    buildRows();
}

void NBGeneralViewController::buildRows()
{
    qCDebug(lcSettings) << "kAutoConnectionStateKey" << UserDefaults::standard().integerForKey(DefaultsKeys::kAutoConnectionStateKey);
    rawData = GeneralSettings::rowDefinitions();
    datas = GeneralSettings::decodeRows(rawData);
    reloadData();
}

int NBGeneralViewController::rowHeight(int row) const
{
    if (row < 0 || row >= datas.size())
        return 0;
    return qRound(datas.at(row).cellHight.value_or(0));
}

void NBGeneralViewController::reloadData()
{
    ensureLoaded();
    qDeleteAll(m_rows);
    m_rows.clear();
    int total = 0;
    for (int row = 0; row < datas.size(); ++row) {
        QWidget *view = makeRowView(row);
        view->setFixedHeight(rowHeight(row));
        total += rowHeight(row);
        m_frame->insertRow(row, view);
        m_rows.append(view);
    }
    m_tableView->setMinimumHeight(total);
    layoutViews();
}

QWidget *NBGeneralViewController::makeRowView(int row)
{
    const OOGeneralModel &model = datas.at(row);
    QPointer<NBGeneralViewController> self(this);
    const auto select = [self, row] {
        if (self)
            self->shouldSelectRow(row);
    };
    // The kind of row goes by position, as the list is laid out: two switches, two pickers, reset.
    if (row <= 1) {
        auto *cell = new NBGeneralSwitchCell(m_tableView);
        cell->titleLab()->setText(model.title);
        cell->detailLab()->setText(model.info.value_or(QString()));
        cell->setOn(model.state.value_or(false));
        connect(cell->switchBtn(), &QPushButton::clicked, this,
                row == 0 ? &NBGeneralViewController::switchAutoConnection : &NBGeneralViewController::switchNotification);
        connect(cell, &NBGeneralSwitchCell::clicked, this, select);
        return cell;
    }
    if (row <= 3) {
        auto *cell = new NBGeneralCell(m_tableView);
        cell->nameText()->setText(model.title);
        cell->subNameText()->setText(model.subTitle.value_or(QString()));
        cell->arrowImgView()->setVisible(model.hasArrow);
        connect(cell, &NBGeneralCell::clicked, this, select);
        return cell;
    }
    auto *cell = new NBGeneralResetCell(m_tableView);
    cell->nameText()->setText(model.title);
    connect(cell, &NBGeneralResetCell::clicked, this, select);
    return cell;
}

void NBGeneralViewController::resizeEvent(QResizeEvent *event)
{
    NBBaseViewController::resizeEvent(event);
    layoutViews();
}

void NBGeneralViewController::layoutViews()
{
    if (m_frame)
        m_frame->layout(size());
}

bool NBGeneralViewController::shouldSelectRow(int row)
{
    selectRow(row);
    return false;
}

void NBGeneralViewController::selectRow(int row)
{
    if (row < 0 || row >= datas.size())
        return;
    switch (datas.at(row).type) {
    case OOGeneralModel::lineOrder: {
        auto picker = std::make_unique<NBSortViewController>();
        picker->presentVC = this;
        presentPicker(std::move(picker));
        break;
    }
    case OOGeneralModel::language: {
        auto picker = std::make_unique<NBLanguageViewController>();
        picker->presentVC = this;
        presentPicker(std::move(picker));
        break;
    }
    case OOGeneralModel::resetAllSettings:
        showResetAlert();
        break;
    case OOGeneralModel::clearAllCache:
        showClearCacheAlert();
        break;
    default:
        break;
    }
}

void NBGeneralViewController::presentPicker(std::unique_ptr<NBBaseViewController> picker)
{
    // The picker covers this screen exactly: drawn at its own taller size it would reach past
    // the window, with its title bar and back button out of sight.
    picker->setGeometry(rect());
    auto *animator = new NBPresentationAnimator(picker.get(), this);
    presentViewController(std::move(picker), animator);
}

void NBGeneralViewController::switchAutoConnection(bool on)
{
    GeneralSettings::storeAutoConnection(on);
}

void NBGeneralViewController::switchNotification(bool on)
{
    // Stored, so the row shows what the user chose the next time the rows are built.
    GeneralSettings::storeNotification(on);
}

void NBGeneralViewController::showResetAlert()
{
    auto made = std::make_unique<NBAlertView>();
    NBAlertView *alert = made.get();
    alert->setGeometry(rect());
    alert->titleLabel()->setText(localized("GENERAL_RESET_TITLE"));
    alert->tipsLabel()->setText(localized("GENERAL_RESET_INFO"));
    alert->cancleButton()->setText(localized("GENERAL_RESET"));
    alert->confirmButton()->setText(localized("CANCEL"));
    QPointer<NBGeneralViewController> self(this);
    // The button that resets sits where the alert's cancel button is.
    alert->cancelBlock = [self] {
        if (self)
            self->restoreDefaults();
    };
    m_alert = NBBaseView::show(std::move(made));
}

void NBGeneralViewController::showClearCacheAlert()
{
    auto made = std::make_unique<NBAlertView>();
    NBAlertView *alert = made.get();
    alert->setGeometry(rect());
    alert->titleLabel()->setText(localized("GENERAL_CLEAR_ALL_CACHE"));
    alert->tipsLabel()->setText(localized("GENERAL_CLEAR_ALL_CACHE_MESSAGE"));
    alert->confirmButton()->setText(localized("GENERAL_CLEAR_ALL_CACHE_SURE"));
    alert->cancleButton()->setText(localized("GENERAL_CLEAR_ALL_CACHE_CANCLE"));
    alert->contentView()->setCornerRadius(8);
    QPointer<NBGeneralViewController> self(this);
    alert->confirmBlock = [self] {
        if (self)
            self->clearAllCache();
    };
    alert->cancelBlock = [] {};
    m_alert = NBBaseView::show(std::move(made));
}

void NBGeneralViewController::restoreDefaults()
{
    if (GeneralSettings::restoreDefaults() == GeneralSettings::ResetOutcome::RowsRebuilt)
        buildRows();
}

void NBGeneralViewController::clearAllCache()
{
    GeneralSettings::clearAllCache();
}
