#include "home/LineCellLook.h"

#include "common/MKUserTable.h"
#include "home/LineSelectorLook.h"

LineCellLook LineCellLook::forLine(const OOHomeNodeModel &line, std::optional<int> userLevel)
{
    LineCellLook look;
    look.name = line.name;
    look.nameColour = line.isMark ? QColor(90, 177, 234) : QColor(Qt::white);
    if (line.lineMark) {
        look.markText = *line.lineMark;
        look.markVisible = !line.lineMark->isEmpty();
    }
    look.flagUrl = LineSelectorLook::flagAddress(line.abbrUrl);
    // Lines of kind 0 are open to everyone; members of level 2 may take every line. Everyone else
    // sees the membership badge, also on a line whose kind the service left out.
    const bool openLine = line.kind && *line.kind == 0;
    const bool member = userLevel && *userLevel == 2;
    look.showsBadge = !(openLine || member);
    look.chosen = line.isClickState;
    return look;
}

std::optional<int> LineCellLook::currentUserLevel()
{
    const std::optional<HHUserInfo> user = MKUserTable().queryUser();
    if (!user || !user->user || !user->user->userLevel)
        return std::nullopt;
    return int(*user->user->userLevel);
}
