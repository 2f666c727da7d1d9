#pragma once

#include <QHash>
#include <QPointer>

#include "app/NBLeftMenuType.h"
#include "uikit/NBBaseViewController.h"

class NBLeftSideViewController;

// The main window's content: the left menu beside the content pane. Each page is made the first
// time it is asked for and kept (hidden while another page shows), so switching back finds it as
// it was left; a new split view starts again with only the home page.
class NBMainSplitViewController : public NBBaseViewController
{
    Q_OBJECT
public:
    explicit NBMainSplitViewController(QWidget *parent = nullptr);
    ~NBMainSplitViewController() override;

    // The split view the window in use shows, or nothing (guide, splash, no window).
    static NBMainSplitViewController *current();
    // The factory name each page is made from.
    static QString screenName(NBLeftMenuType type);

    void viewDidLoad() override;

    NBLeftSideViewController *leftSide() const { return m_leftSide; }
    QWidget *contentPane() const { return m_contentPane; }

    // Shows the page of that type in the content pane. `login` presents the sign-in screen as a
    // sheet instead and leaves the pane empty.
    void switchContent(NBLeftMenuType type);

    // The page shown in the content pane, or nothing.
    NBBaseViewController *shownContent() const { return m_shown; }
    // The page of that type when it has been made (made on first use otherwise).
    NBBaseViewController *existingScreen(NBLeftMenuType type) const;
    NBBaseViewController *screen(NBLeftMenuType type);
    NBBaseViewController *homeVc() { return screen(NBLeftMenuType::home); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void showInPane(NBBaseViewController *controller);
    void removeShown();

    NBLeftSideViewController *m_leftSide = nullptr;
    QWidget *m_contentPane = nullptr;
    QHash<int, QPointer<NBBaseViewController>> m_screens;
    QPointer<NBBaseViewController> m_shown;
};
