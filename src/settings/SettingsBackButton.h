#pragma once

#include <QPushButton>

class NBBaseViewController;

// The title line of the presented list screens (message centre, feedback): the screen's name
// beside a back arrow at the top left, one button that dismisses the screen it sits on.
class SettingsBackButton : public QPushButton
{
    Q_OBJECT
public:
    // Where the screen's content starts, below the title line.
    static constexpr int kTitleLineHeight = 62;

    SettingsBackButton(const QString &title, NBBaseViewController *screen);
};
