#pragma once

#include "uikit/OverlayWidget.h"

#include <functional>
#include <optional>

class QLabel;
class QScrollArea;
class QTextBrowser;
class RoundedPanel;
class NBDisableButton;

// An older upgrade prompt that no screen shows: a dark dialog with the version, the release
// notes and "暂不更新" / "立即更新". It removes itself first, then calls its block.
// The upgrade prompt the client shows is NBMutipUpgradeView (src/upgrade).
class NBUpdateView : public OverlayWidget
{
    Q_OBJECT
public:
    explicit NBUpdateView(QWidget *parent = nullptr);

    std::optional<QString> version;
    std::optional<QString> content;
    std::optional<bool> forceUpdate;
    std::optional<QString> updateUrl;
    std::function<void()> didDismissSuccessBlock;
    std::function<void()> didUpdateBlock;

    // Over the window in use; nothing without one. Texts come from the fields at this point.
    void show();
    void dismiss();
    void cancalAction();
    void upgradeAction();

    RoundedPanel *contentView() const { return m_contentView; }
    QLabel *titleLabel() const { return m_titleLabel; }
    QLabel *newVersionLabel() const { return m_newVersionLabel; }
    QLabel *subTitleLabel() const { return m_subTitleLabel; }
    QTextBrowser *privacyTextView() const { return m_privacyTextView; }
    NBDisableButton *cancalButtton() const { return m_cancalButtton; }
    NBDisableButton *upgradeButton() const { return m_upgradeButton; }

    // Fills the texts from the fields (show does it; the gallery too).
    void applyTexts();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void leave(const std::function<void()> &block);

    RoundedPanel *m_contentView = nullptr;
    QLabel *m_titleLabel = nullptr;
    QLabel *m_newVersionLabel = nullptr;
    QLabel *m_subTitleLabel = nullptr;
    QTextBrowser *m_privacyTextView = nullptr;
    NBDisableButton *m_cancalButtton = nullptr;
    NBDisableButton *m_upgradeButton = nullptr;
};
