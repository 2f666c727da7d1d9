#pragma once

#include "uikit/NBBaseViewController.h"

#include <QPointer>

#include <optional>

class CircularArcImageView;
class HHCircleView;
class NBDisableButton;
class QLabel;
class UpgradeWindowModel;

// The content of the upgrade window that a web popup's "update" button opens: the version, a
// grey ring with the gradient progress arc over it, the percentage and one button that turns the
// proxy off, downloads and installs (logic in `UpgradeWindowModel`).
class NBUpgradeController : public NBBaseViewController
{
    Q_OBJECT
public:
    static constexpr int kWidth = 480;
    static constexpr int kHeight = 520;

    explicit NBUpgradeController(QWidget *parent = nullptr);

    std::optional<QString> downloadUrl;
    std::optional<QString> version;

    QLabel *versionLabel() const { return m_versionLabel; }
    CircularArcImageView *circleImageView() const { return m_circleImageView; }
    HHCircleView *circleView() const { return m_circleView; }
    QLabel *progressLabel() const { return m_progressLabel; }
    NBDisableButton *upgradeButton() const { return m_upgradeButton; }
    UpgradeWindowModel *model() const { return m_model; }

    void upgradeAction(QObject *sender);
    void startDownload(QObject *sender);

protected:
    void viewDidLoad() override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void render();

    QLabel *m_versionLabel = nullptr;
    CircularArcImageView *m_circleImageView = nullptr;
    HHCircleView *m_circleView = nullptr;
    QLabel *m_progressLabel = nullptr;
    NBDisableButton *m_upgradeButton = nullptr;
    UpgradeWindowModel *m_model = nullptr;
};
