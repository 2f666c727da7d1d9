#include "settings/feedback/FeedbackPicturePicker.h"

#include <QFileDialog>
#include <QStandardPaths>

namespace {
FeedbackPicturePicker::Chooser &testChooser()
{
    static FeedbackPicturePicker::Chooser chooser;
    return chooser;
}
} // namespace

void FeedbackPicturePicker::setChooserForTesting(Chooser chooser)
{
    testChooser() = std::move(chooser);
}

void FeedbackPicturePicker::pickImage(QWidget *parent, const Done &done)
{
    if (testChooser()) {
        testChooser()(parent, done);
        return;
    }
    auto *dialog = new QFileDialog(parent, QString(), QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilter(QStringLiteral("Images (*.jpg *.jpeg *.png)"));
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [done](const QString &path) {
        if (done && !path.isEmpty())
            done(path);
    });
    dialog->open();
}
