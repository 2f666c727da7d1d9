#pragma once

#include <QObject>

// The older page library's upgrade type. It has no state and no operations; nothing in the
// client makes one, and it is kept so that the library is whole.
class HLLVersionUpdate : public QObject
{
    Q_OBJECT
public:
    explicit HLLVersionUpdate(QObject *parent = nullptr);
};
