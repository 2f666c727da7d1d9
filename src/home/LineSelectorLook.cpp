#include "home/LineSelectorLook.h"

LineSelectorLook LineSelectorLook::forLine(const std::optional<OOHomeNodeModel> &line)
{
    LineSelectorLook look;
    look.global = line && line->isGlobel;
    look.iconName = look.global ? QStringLiteral("all") : QStringLiteral("AI");
    look.modeEvent = modeEventFor(look.global);
    if (!line) {
        look.name = QStringLiteral("Best line");
        return look;
    }
    look.name = line->name;
    look.flagUrl = flagAddress(line->abbrUrl);
    return look;
}

QUrl LineSelectorLook::flagAddress(const std::optional<QString> &abbrUrl)
{
    if (!abbrUrl || abbrUrl->trimmed().isEmpty())
        return {};
    const QUrl url(abbrUrl->trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return {};
    if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
        return {};
    return url;
}

QString LineSelectorLook::modeEventFor(bool global)
{
    return global ? QStringLiteral("selectModePage_globalMode_click")
                  : QStringLiteral("selectModePage_appMode_click");
}
