#include "login/form/SignInCompletion.h"

#include <QPointer>

#include "app/AppDelegate.h"
#include "uikit/UiTiming.h"

void SignInCompletion::showMainWindowLater()
{
    AppDelegate *delegate = AppDelegate::shared();
    if (!delegate)
        return;
    // Tied to the delegate, not to any screen: the window is rebuilt whatever became of them.
    QPointer<AppDelegate> guard(delegate);
    UiTiming::singleShot(1000, delegate, [guard] {
        if (guard)
            guard->showMainWindowVC();
    });
}
