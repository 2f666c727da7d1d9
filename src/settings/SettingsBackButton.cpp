#include "settings/SettingsBackButton.h"

#include "uikit/NBBaseViewController.h"
#include "uikit/NSFontHelper.h"
#include "uikit/UiImages.h"

SettingsBackButton::SettingsBackButton(const QString &title, NBBaseViewController *screen)
    : QPushButton(title, screen)
{
    setIcon(UiImages::icon(QStringLiteral("back")));
    setIconSize(QSize(16, 16));
    setFont(NSFontHelper::getRegularPingFangFont(14));
    setFlat(true);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setStyleSheet(QStringLiteral("QPushButton { color: rgb(239, 243, 255); border: none; background: transparent; }"));
    adjustSize();
    move(23, 18);
    connect(this, &QPushButton::clicked, screen, &NBBaseViewController::dismissAction);
}
