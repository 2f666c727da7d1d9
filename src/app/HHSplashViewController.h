#pragma once

#include <QJsonObject>

#include <functional>
#include <optional>

#include "app/HHAdModel.h"
#include "uikit/NBBaseViewController.h"

class HHSplashButton;
class QLabel;
class SplashCountdown;

// The full-window splash advertisement: the cached picture, the countdown control in the corner
// and a click on the picture that follows the advertisement's link. It ends once, by the
// countdown, the control or a click: dismissBlock for the first two, tapBlock for the click.
class HHSplashViewController : public NBBaseViewController
{
    Q_OBJECT
public:
    using Tracker = std::function<void(const QString &event)>;

    explicit HHSplashViewController(QWidget *parent = nullptr);

    std::optional<HHAdModel> model;
    std::function<void()> dismissBlock;
    std::function<void(const std::optional<QJsonObject> &link)> tapBlock;

    void viewDidLoad() override;
    void viewWillAppear() override;

    // Fills the screen from the model and starts the countdown.
    void setupAd();
    // The picture was clicked.
    void openAd();
    // The countdown control was clicked.
    void closeAd();

    SplashCountdown &countdown() const { return *m_countdown; }
    HHSplashButton *closeBtn() const { return m_closeBtn; }
    QLabel *backgroudImgView() const { return m_backgroudImgView; }

    void setTracker(Tracker tracker) { m_tracker = std::move(tracker); }
    // Tests and the gallery give the picture directly.
    void setImage(const QImage &image);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    SplashCountdown *m_countdown = nullptr;
    QLabel *m_backgroudImgView = nullptr;
    HHSplashButton *m_closeBtn = nullptr;
    Tracker m_tracker;
};
