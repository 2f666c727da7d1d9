#pragma once

#include <QWidget>

// Nothing in the client creates this yet; it is kept as the kit's window without a title bar.
// A window whose title bar is gone: its content covers the whole frame, and so it carries no
// window buttons of the system (its content offers the ways out). relayoutWindowButtons drops
// the zoom (maximise) button, leaving close and minimise as they are.
class OOWindow : public QWidget
{
    Q_OBJECT
public:
    explicit OOWindow(QWidget *parent = nullptr);

    void relayoutWindowButtons();
};
