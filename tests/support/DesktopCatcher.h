#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

// Stands in for the desktop's handlers (QDesktopServices::setUrlHandler(scheme, &catcher,
// "handle")): anything handed to the desktop behind the link rule's back lands here.
class DesktopCatcher : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    QList<QUrl> urls;

public Q_SLOTS:
    void handle(const QUrl &url);
};
