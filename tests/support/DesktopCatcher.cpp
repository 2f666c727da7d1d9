#include "support/DesktopCatcher.h"

void DesktopCatcher::handle(const QUrl &url)
{
    urls << url;
}
