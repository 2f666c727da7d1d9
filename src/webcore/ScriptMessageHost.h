#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// What a page may ask of the window that shows it. The web view (a full-screen page or the notice
// popup) implements it; ScriptMessageRouter decides, from the message and its own rules, which
// request to make. Every request arrives on the GUI thread, inside the message's own turn.
class ScriptMessageHost
{
public:
    virtual ~ScriptMessageHost() = default;

    // A full-screen page is dismissed from whatever presented it; the popup removes itself, hides
    // and runs its close block.
    virtual void closePage() {}
    // "marlet://my" (1, the account page) and "marlet://buy" (3, the purchase page) from a
    // full-screen page. Only the main window's split view can do it; elsewhere nothing happens.
    virtual void switchMainWindowTab(int index) { Q_UNUSED(index) }
    // The popup's delegate: "linkBuy", "my", "newsList", "lotteryPage", ...
    virtual void handleJumpAction(const QString &destination) { Q_UNUSED(destination) }
    // Only http, https and mailto links reach this; the desktop's browser or mail program opens them.
    virtual void openExternalUrl(const QUrl &url) { Q_UNUSED(url) }
    // The decoded bytes of a page's image data URL: write them as a new JPEG in the Pictures
    // folder and toast "保存成功" (or the error). Bytes that are no image save nothing.
    virtual void saveImage(const QByteArray &imageBytes) { Q_UNUSED(imageBytes) }
    // The popup's "update" button: the upgrade window for this https installer address.
    virtual void openUpgradeWindow(const QUrl &installerUrl, const QString &version)
    {
        Q_UNUSED(installerUrl)
        Q_UNUSED(version)
    }
};
