#pragma once

#include <QColor>
#include <QList>
#include <QPointF>

#include <optional>

// How a ring and its gradient arc are drawn. Points are in the program's y-up coordinates of the
// view (as the upgrade page gives them); the drawing flips them.
struct NBCircleViewConfig
{
    double circleLineWidth = 0;
    QColor lineColor;
    bool isCloseWise = false;
    std::optional<QPointF> starPoint;
    std::optional<QPointF> endPoint;
    double startAngle = 0; // radians
    QList<QColor> colorArray;
    QList<double> colorSizeArray;
};
