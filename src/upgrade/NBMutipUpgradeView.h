#pragma once

#include <memory>
#include <optional>

#include "uikit/OverlayWidget.h"

class NBMutipUpgradeModel;
class NBWarnInstallView;
class QLabel;
class QProgressBar;
class QPushButton;
class QTextBrowser;
class RoundedPanel;
class NBDisableButton;

// The in-window upgrade dialog: a dimming cover over the whole window with a dark panel that
// offers the new version, then shows the download (bar, size and speed, percentage), then the
// install. It draws its model (`NBMutipUpgradeModel`) and forwards its controls there; it leaves
// the window when the model asks.
class NBMutipUpgradeView : public OverlayWidget
{
    Q_OBJECT
public:
    // Takes the model as its child.
    explicit NBMutipUpgradeView(std::unique_ptr<NBMutipUpgradeModel> model, QWidget *parent = nullptr);

    NBMutipUpgradeModel *model() const { return m_model; }

    // Puts a new dialog for the model over the window in use, filling it, by the popups' one road
    // (NBBaseView::show); nullptr, and the model gone with its dialog, when there is no window.
    static NBMutipUpgradeView *present(std::unique_ptr<NBMutipUpgradeModel> model);
    // Said over the window in use, in the error toast (nothing without one): a failed install, or
    // the notice that an install runs already.
    static void toastOverWindow(const QString &message);

    RoundedPanel *contentView() const { return m_contentView; }
    QPushButton *closeView() const { return m_closeView; }
    QLabel *titleText() const { return m_titleText; }
    QLabel *tipsText() const { return m_tipsText; }
    QLabel *subText() const { return m_subText; }
    QTextBrowser *markdowTextView() const { return m_markdowTextView; }
    QProgressBar *progressIndicator() const { return m_progressIndicator; }
    QLabel *indicatorSpeedText() const { return m_indicatorSpeedText; }
    NBWarnInstallView *warnInstallText() const { return m_warnInstallText; }
    QLabel *downloadRateText() const { return m_downloadRateText; }
    NBDisableButton *cancleButton() const { return m_cancleButton; }
    NBDisableButton *confirmButton() const { return m_confirmButton; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void render();
    void layoutPanel();
    void showNotes(const QString &notes);

    NBMutipUpgradeModel *m_model;
    RoundedPanel *m_contentView = nullptr;
    QPushButton *m_closeView = nullptr;
    QLabel *m_titleText = nullptr;
    QLabel *m_tipsText = nullptr;
    QLabel *m_subText = nullptr;
    QTextBrowser *m_markdowTextView = nullptr;
    QLabel *m_indicatorSpeedText = nullptr;
    QLabel *m_downloadRateText = nullptr;
    QProgressBar *m_progressIndicator = nullptr;
    NBWarnInstallView *m_warnInstallText = nullptr;
    NBDisableButton *m_cancleButton = nullptr;
    NBDisableButton *m_confirmButton = nullptr;
    std::optional<QString> m_notesShown;
};
