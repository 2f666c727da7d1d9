#include "settings/notice/NoticeTextBrowser.h"

#include <QByteArray>

QVariant NoticeTextBrowser::loadResource(int type, const QUrl &name)
{
    const bool bundled = name.scheme() == QLatin1String("qrc") || name.path().startsWith(QLatin1Char(':'));
    if (bundled)
        return QTextBrowser::loadResource(type, name);
    // Not a null answer: on a null one the document would go and read the file itself.
    return QVariant(QByteArray());
}
