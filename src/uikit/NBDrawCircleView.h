#pragma once

#include "uikit/NBCircleViewConfig.h"

#include <QPainterPath>
#include <QWidget>

// The progress arc: round caps, stroked with a linear gradient of the configuration's colours.
// It sweeps 2 degrees + 357.75 x progress, counter-clockwise from startAngle when isCloseWise,
// clockwise otherwise. Without colours nothing is drawn.
class NBDrawCircleView : public QWidget
{
    Q_OBJECT
public:
    explicit NBDrawCircleView(const NBCircleViewConfig &config, QWidget *parent = nullptr);

    double progress() const { return m_progress; }
    void setProgress(double progress);
    const NBCircleViewConfig &circleConfig() const { return m_config; }

    // Signed sweep in Qt degrees (positive = counter-clockwise on screen).
    double sweepDegrees() const;
    // The arc's centre line in widget coordinates.
    QPainterPath arcPath() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    NBCircleViewConfig m_config;
    double m_progress = 0;
};
