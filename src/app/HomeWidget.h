#pragma once

#include <QList>
#include <QWidget>

#include "vpn/HomeConnectView.h"
#include "vpn/OOHomeNodeModel.h"

class HomeConnectController;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

// The home screen in its first, plain form: the line list, the mode choice and the connect
// button over the connect and stop roads. It draws what the roads ask for and forwards the
// user's choices; all decisions live in HomeConnectController.
class HomeWidget : public QWidget, public HomeConnectView
{
    Q_OBJECT
public:
    explicit HomeWidget(QWidget *parent = nullptr);
    ~HomeWidget() override;

    HomeConnectController &controller() { return *m_controller; }
    // Fetches the line list again (and signs in as a visitor first when nobody is signed in).
    void refresh();

    // HomeConnectView
    void showLoading() override;
    void showPausing() override;
    void showRunning() override;
    void showStopped() override;
    void showKillSwitch() override;
    void showErrorToast(const QString &text) override;
    void showSuccessToast(const QString &text) override;
    void openUpgradePage() override;
    void presentFreePage() override;
    void updateConnectedTime(bool running) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void fetchLines();
    void showLines(const QList<OOHomeNodeModel> &lines);
    void lineActivated(int row);
    // Highlights the chosen line, or nothing when it is not in the list: never a refused one.
    void highlightChosenLine();
    void modeChosen(int index);
    void connectClicked();
    void showToast(const QString &text, const QString &colour);
    // The state text, the button (connect or disconnect, disabled while busy) and the flags.
    void setState(const char *stateKey, bool on, bool busy);

    HomeConnectController *m_controller = nullptr;
    QListWidget *m_lineList = nullptr;
    QComboBox *m_modeBox = nullptr;
    QPushButton *m_connectButton = nullptr;
    QLabel *m_stateLabel = nullptr;
    QLabel *m_toastLabel = nullptr;
    QList<OOHomeNodeModel> m_lines;
    int m_selectedRow = -1;
    bool m_on = false;
    bool m_busy = false;
};
