#pragma once

#include <QObject>

class QCoreApplication;

// The keys every text field of the program answers beyond QLineEdit's own (which already gives
// select-all, copy, paste, cut, undo and redo): Escape alone gives the focus up, so no field keeps
// the caret once the user has let it go.
class TextFieldKeyEquivalents : public QObject
{
    Q_OBJECT
public:
    // Once per application; a second call changes nothing.
    static void install(QCoreApplication *application);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit TextFieldKeyEquivalents(QObject *parent);
};
