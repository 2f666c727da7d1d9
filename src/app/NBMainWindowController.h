#pragma once

#include <QPointer>

#include "uikit/BackgroundWindowMove.h"
#include "uikit/NBBaseViewController.h"
#include <QWidget>


// The one window of the application: 800 x 500, not resizable, no maximise button. Its content
// is one screen at a time (splash, guide or the main split view), swapped in place; the old
// content gets its disappear calls and is deleted, the new one its appear calls.
//
// While it shows the main split view, a language change or a completed sign-in rebuilds the
// split view, so every page is made again (in the new language, for the new user).
class NBMainWindowController : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize kSize{800, 500};
    static inline const QString kWindowTitle = QStringLiteral("翠鸟通行器Pro");

    explicit NBMainWindowController(QWidget *parent = nullptr);
    ~NBMainWindowController() override;

    NBBaseViewController *contentViewController() const { return m_content; }
    // Takes ownership of the controller.
    void setContentViewController(NBBaseViewController *controller);

    void reloadSplitView();
    void centreOnScreen();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    // Presses no screen took (the left menu's background) move the window as a screen's do.
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void setupWindow();
    void switchLanguageAction();

    QPointer<NBBaseViewController> m_content;
    BackgroundWindowMove m_backgroundMove;
};
