#pragma once

#include <QColor>
#include <QString>
#include <QUrl>

#include <optional>

#include "vpn/OOHomeNodeModel.h"

// What a line cell shows for a line and the current user, worked out without drawing.
class LineCellLook
{
public:
    QString name;
    QColor nameColour;
    // Absent: the mark text stays as it was (a new cell keeps it hidden).
    std::optional<QString> markText;
    bool markVisible = false;
    QUrl flagUrl;         // empty: the flag keeps its current image
    bool showsBadge = false; // the membership badge instead of the check mark
    bool chosen = false;  // "lineon" and a checked mark

    // `userLevel` is the current user's level, absent without a user or without a level.
    static LineCellLook forLine(const OOHomeNodeModel &line, std::optional<int> userLevel);
    // The signed-in user's level from the user table.
    static std::optional<int> currentUserLevel();
};
