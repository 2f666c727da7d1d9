#pragma once

#include <QPointer>
#include <QWidget>

class NBBaseViewController;

// A secondary window of the program (the upgrade window is one): one content screen, a title for
// task bars and window switchers, close and minimise but no maximise (it has one size, its
// content's), and movable by dragging its background.
class NBNoTitleWindow : public QWidget
{
    Q_OBJECT
public:
    explicit NBNoTitleWindow(QWidget *parent = nullptr);

    // A window holding `content` (which it takes), sized to it.
    static NBNoTitleWindow *windowWithContentViewController(NBBaseViewController *content);

    NBBaseViewController *contentViewController() const { return m_content; }
    // What its users give it: the fixed size, the buttons and the title.
    void setupNoTitleWindow(const QString &title);

Q_SIGNALS:
    // A press on the background handed the window to the window manager to move.
    void backgroundMoveStarted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QPointer<NBBaseViewController> m_content;
};
