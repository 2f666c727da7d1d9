#pragma once

#include <QWidget>

// A window whose title bar is gone: its content covers the whole frame. relayoutWindowButtons
// leaves the close and minimise buttons and drops the zoom (maximise) button.
class OOWindow : public QWidget
{
    Q_OBJECT
public:
    explicit OOWindow(QWidget *parent = nullptr);

    void relayoutWindowButtons();
};
