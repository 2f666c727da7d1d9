#pragma once

#include "uikit/ImageTitleButton.h"

// A link-like button: the pointing hand while the pointer is over it, the arrow again when it
// leaves.
class NBTrackButton : public ImageTitleButton
{
    Q_OBJECT
public:
    explicit NBTrackButton(const QString &title = {}, QWidget *parent = nullptr);

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
};
