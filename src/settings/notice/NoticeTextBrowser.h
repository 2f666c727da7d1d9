#pragma once

#include <QTextBrowser>

// The notice box's text: markup written outside the program, shown with its links. A picture it
// names is shown only from the bundled resources; any other ("/dev/zero", a user's file, a
// relative name) is never read: QTextBrowser would read it whole, from wherever it points.
class NoticeTextBrowser : public QTextBrowser
{
    Q_OBJECT
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl &name) override;
};
