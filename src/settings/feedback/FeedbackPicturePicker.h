#pragma once

#include <QString>

#include <functional>

class QWidget;

// The desktop's file dialog for one picture (jpg, jpeg, png), opened without blocking: Qt uses
// the desktop portal where one runs. The answer comes later with the chosen path, and not at all
// when the user cancels. Tests put their own chooser in its place.
class FeedbackPicturePicker
{
public:
    using Done = std::function<void(const QString &path)>;
    using Chooser = std::function<void(QWidget *parent, const Done &done)>;

    static void pickImage(QWidget *parent, const Done &done);
    // An empty chooser restores the dialog.
    static void setChooserForTesting(Chooser chooser);

private:
    FeedbackPicturePicker() = delete;
};
