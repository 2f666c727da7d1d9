#pragma once

#include <QWidget>

// An empty view of the home screen's file set; nothing creates it.
class OOHomeMenuView : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;
};
