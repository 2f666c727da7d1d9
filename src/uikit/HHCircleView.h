#pragma once

#include "uikit/NBCircleViewConfig.h"

#include <QWidget>

class NBDrawCircleView;

// A ring (the track, in lineColor) with the gradient progress arc over it (the upgrade page).
class HHCircleView : public QWidget
{
    Q_OBJECT
public:
    HHCircleView(const QRect &frame, const NBCircleViewConfig &config, QWidget *parent = nullptr);

    const NBCircleViewConfig &circleConfig() const { return m_config; }
    NBDrawCircleView *drawCicleView() const { return m_drawCicleView; }
    double progress() const { return m_progress; }
    // Copies the progress to the arc and redraws it.
    void setProgress(double progress);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    NBCircleViewConfig m_config;
    NBDrawCircleView *m_drawCicleView = nullptr;
    double m_progress = 0;
};
