#pragma once

#include <QColor>
#include <QString>

class NBDisableButton;
class QLabel;
class QWidget;

// The parts both upgrade dialogs (one version, several versions) are built of, so the two keep
// one look.
class UpgradeDialogParts
{
public:
    // An image button: the background image, a centred title at 12 in the colour, corner radius
    // 15, clickable, never focused.
    static NBDisableButton *imageButton(const QString &image, const QString &title, const QColor &titleColour,
                                        QWidget *parent);
    // A plain text on the panel at the size in points, in the colour.
    static QLabel *label(const QString &text, int size, const QColor &colour, QWidget *parent);

private:
    UpgradeDialogParts() = delete;
};
