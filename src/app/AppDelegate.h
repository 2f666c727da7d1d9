#pragma once

#include <QObject>

#include <memory>

class MainWindow;
class AppUiHooks;
class TerminationRoad;

// Start-up and termination of the application: wires the layers together, opens the main
// window, and on quit has the helper restore the desktop's proxy settings before the engines go.
class AppDelegate : public QObject
{
    Q_OBJECT
public:
    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    void applicationDidFinishLaunching();
    void applicationWillTerminate();
    // Signs out: the proxy is turned off, the stored user removed, and the home screen reloaded.
    void backToGuide();

private:
    void trackLaunch();

    std::shared_ptr<AppUiHooks> m_uiHooks;
    std::unique_ptr<MainWindow> m_window;
    // Every ending (quit, signal, session end) runs applicationWillTerminate through it.
    std::unique_ptr<TerminationRoad> m_termination;
    bool m_terminated = false;
};
