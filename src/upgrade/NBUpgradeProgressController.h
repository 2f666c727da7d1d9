#pragma once

#include <QObject>
#include <QPointer>

class NBUpgradeController;
class QWidget;

// The upgrade window: a small window of its own, titled "升级", holding an NBUpgradeController.
// The window owns this controller and its content; closing the window deletes them (a download
// already started still ends in the install, without the relaunch).
class NBUpgradeProgressController : public QObject
{
    Q_OBJECT
public:
    explicit NBUpgradeProgressController(QWidget *window);

    // What the popup's "update" button does with its "url" and "version".
    static NBUpgradeProgressController *open(const QString &url, const QString &version);

    QWidget *window() const { return m_window; }
    NBUpgradeController *contentViewController() const;

    void showWindow();

private:
    void windowDidLoad();

    QPointer<QWidget> m_window;
    bool m_loaded = false;
};
