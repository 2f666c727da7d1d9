#pragma once

#include <QSize>
#include <QString>

class QPushButton;
class QWidget;

// The view factory the screens use (the kit's other factories, which nothing calls, are
// LMViewFactory in unreached/).
class LMViewHelper
{
public:
    // A button that is only its picture: flat, no frame or background, never takes keyboard
    // focus. An empty image name leaves the icon to the caller (two-state or set later).
    static QPushButton *createImageButton(QWidget *parent, const QString &image, const QSize &iconSize);

private:
    LMViewHelper() = delete;
};
