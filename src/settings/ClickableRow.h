#pragma once

#include <QWidget>

#include "uikit/PressClick.h"

// A row or tile of the settings lists that is one big button. A list's row acts on a click, as a
// table selects (`PressClick::ActsOn::Release`); a tile that acts at once says so. Rows draw
// themselves; this only turns the pointer into `clicked`.
class ClickableRow : public QWidget
{
    Q_OBJECT
public:
    explicit ClickableRow(QWidget *parent = nullptr, PressClick::ActsOn actsOn = PressClick::ActsOn::Release);

Q_SIGNALS:
    void clicked();
};
