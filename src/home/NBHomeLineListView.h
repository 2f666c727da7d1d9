#pragma once

#include <QList>
#include <QPointer>

#include "uikit/OverlayWidget.h"
#include "home/NBHomeLineListModel.h"
#include "home/OOHomeItemListType.h"

class AssetImageView;
class NBHomeLineListViewDelegate;
class NBLineSwitchView;
class NBLineTableView;
class NBMaskControl;
class NBTipsShowView;
class QLabel;
class RoundedPanel;
class changeModeView;

// The line popup ("切换线路和模式"): a darkened window with a panel holding the smart/global switch,
// a mode explanation behind "调整模式" and the table of the lines the home screen last loaded.
// Choosing a line or pressing a mode stores the line under "kProxyLineInfo", closes the popup and
// tells the delegate, which shows the line and reconnects when connected. Clicks on the darkened
// area do nothing; the close icon closes it.
//
// The home screen hosts it:
//     auto popup = std::make_unique<NBHomeLineListView>();
//     popup->setDelegate(this);          // NBHomeLineListViewDelegate
//     popup->setShowList(m_showList);
//     popup->reloadLines();
//     NBBaseView::show(std::move(popup)); // over the window in use; nullptr without one
class NBHomeLineListView : public OverlayWidget
{
    Q_OBJECT

public:
    static constexpr int kPanelWidth = 375;
    static constexpr int kPanelHeight = 461;

    explicit NBHomeLineListView(QWidget *parent = nullptr);

    // Held weakly when it is a QObject (the home screen): a gone delegate is not called.
    void setDelegate(NBHomeLineListViewDelegate *delegate);
    NBHomeLineListViewDelegate *delegate() const;

    void setShowList(const QList<OOHomeNodeModel> &lines);
    const QList<OOHomeNodeModel> &showList() const { return m_model.showList; }
    const OOHomeNodeModel *selectLineMode() const { return m_model.selectLineMode(); }
    bool changeMode() const { return m_model.changeMode; }
    bool showMark() const { return m_showMark; }
    OOHomeItemListType selectItemType = OOHomeItemListType::all;

    std::optional<OOHomeNodeModel> cachedLine() const { return m_model.cachedLine(); }
    void reloadLines();

    void tapcloseAction();

    // The table's and the switch's answers, callable from tests as a click would call them.
    bool selectRow(int row, bool dragged = false);
    void switchMode(int index);
    void toggleModeExplanation();

    NBMaskControl *control() const { return m_control; }
    NBLineTableView *tableView() const { return m_tableView; }
    RoundedPanel *contentView() const { return m_contentView; }
    RoundedPanel *bgView() const { return m_bgView; }
    AssetImageView *closeView() const { return m_closeView; }
    QLabel *titleText() const { return m_titleText; }
    QLabel *tipsText() const { return m_tipsText; }
    NBTipsShowView *tipsShowView() const { return m_tipsShowView; }
    NBLineSwitchView *switchLineView() const { return m_switchLineView; }
    QLabel *adjustText() const { return m_adjustText; }
    changeModeView *changeView() const { return m_changeView; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutPanel();
    void markRow(int row);

    NBHomeLineListModel m_model;
    NBHomeLineListViewDelegate *m_delegate = nullptr;
    QPointer<QObject> m_delegateGuard;
    bool m_delegateIsObject = false;
    bool m_showMark = false;
    bool m_closing = false;

    NBMaskControl *m_control = nullptr;
    NBLineTableView *m_tableView = nullptr;
    changeModeView *m_changeView = nullptr;
    RoundedPanel *m_contentView = nullptr;
    RoundedPanel *m_bgView = nullptr;
    AssetImageView *m_closeView = nullptr;
    QLabel *m_titleText = nullptr;
    QLabel *m_tipsText = nullptr;
    NBTipsShowView *m_tipsShowView = nullptr;
    NBLineSwitchView *m_switchLineView = nullptr;
    QLabel *m_adjustText = nullptr;
};
