#pragma once

#include <QString>
#include <QUrl>

#include <optional>

#include "vpn/OOHomeNodeModel.h"

// What the line selector shows for a chosen line (or for none), worked out without drawing.
class LineSelectorLook
{
public:
    QString iconName;       // "AI" (smart, and no line) or "all" (global)
    QString name;           // the line's name, "Best line" without a line
    bool global = false;    // the mode badge
    QUrl flagUrl;           // empty: the mode icon stays
    QString modeEvent;      // "selectModePage_appMode_click" or "selectModePage_globalMode_click"

    static LineSelectorLook forLine(const std::optional<OOHomeNodeModel> &line);

    // A flag address the image cache can fetch: an absolute http(s) address with a host.
    static QUrl flagAddress(const std::optional<QString> &abbrUrl);
    static QString modeEventFor(bool global);
};
