#pragma once

#include <QString>

class QWidget;

// Nothing in the client calls this yet; it is kept for views made by name through the factory.
// Views that the program loaded from nibs are made in code; this finds the maker registered for
// the nib's name with the screen factory.
class NBNibInitTool
{
public:
    // The view of that name, or null when no layer registered one.
    static QWidget *getNibView(const QString &name, QWidget *parent = nullptr);

private:
    NBNibInitTool() = delete;
};
