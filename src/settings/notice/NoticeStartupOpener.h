#pragma once

#include <QString>

class OONoticePopupView;
class QWidget;

// Shows the notice box with a sample text for `--open notice`: nothing in the client shows the
// box itself (notices come as web popups), and a newcomer must still be able to see it.
class NoticeStartupOpener
{
public:
    // Registers "notice" with StartupOpenOption (the program's registration file calls it).
    static void registerName();
    // The box over that view (the main split view at start), shown.
    static OONoticePopupView *open(QWidget *over);
    static QString sampleHtml();
};
