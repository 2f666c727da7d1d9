#pragma once

#include "uikit/NBBaseViewController.h"
#include "common/HHUserInfo.h"
#include "login/account/NBAccountInfoLogic.h"
#include "login/rows/NBSettingCellItem.h"

#include <QList>
#include <QPointer>

#include <memory>
#include <optional>

class NBNavView;
class QPushButton;
class RoundedPanel;

// The signed-in user's account: user id (with copy), phone and e-mail (masked when bound, an
// entry to binding when not), the password entry, membership status and expiry, and sign-out.
// 375 x 468; the settings sheet embeds it, and until then the menu's account page shows it.
//
// Each time it is about to appear the rows are rebuilt from the stored user; each time it has
// appeared the account record is asked for again, which refreshes only the status text.
class NBAccountInfoViewController : public NBBaseViewController
{
    Q_OBJECT
public:
    static constexpr QSize screenSize() { return {375, 468}; }

    explicit NBAccountInfoViewController(QWidget *parent = nullptr);

    void viewDidLoad() override;
    void viewWillAppear() override;
    void viewDidAppear() override;

    void reloadData();
    void rebuildRows();
    void requestAccountInfo();
    void setUserInfo(const HHUserInfo &info);
    // The parent (the settings sheet) closes; nothing without one.
    void dismissAction();
    // The sign-out confirmation.
    void logoutAction();
    // What a click on the row does (the table selects nothing).
    void selectRow(int row);
    // The user-id row's copy icon.
    void copyUserId();

    bool phoneHasSet() const { return m_phoneHasSet; }
    bool emailHasSet() const { return m_emailHasSet; }
    const QList<NBSettingCellItem> &data() const { return m_data; }
    QString statusText() const { return m_statusText; }
    std::optional<HHUserInfo> userInfo() const { return m_userInfo; }

    NBNavView *navView() const { return m_navView; }
    RoundedPanel *scrollView() const { return m_scrollView; }
    QWidget *tableView() const { return m_tableView; }
    QPushButton *logoutBtn() const { return m_logoutBtn; }
    // The row views as the table made them last, top to bottom.
    QList<QWidget *> rowViews() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void setupViews();
    void layoutViews();
    QWidget *makeRowView(int row);
    void openScreen(std::unique_ptr<NBBaseViewController> screen);

    bool m_pwdHasSet = false;
    bool m_phoneHasSet = false;
    bool m_emailHasSet = false;
    QList<NBSettingCellItem> m_data;
    std::optional<HHUserInfo> m_userInfo;
    int m_isPurchase = 0;
    QString m_statusText;

    RoundedPanel *m_maskView = nullptr;
    NBNavView *m_navView = nullptr;
    RoundedPanel *m_scrollView = nullptr;
    QWidget *m_tableView = nullptr;
    QPushButton *m_logoutBtn = nullptr;
    QList<QPointer<QWidget>> m_rowViews;
    int m_tableHeight = 0;
};
