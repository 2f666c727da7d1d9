#include "app/StartupOpenOption.h"

#include <QDebug>
#include <QHash>

#include "app/NBLeftMenuType.h"
#include "app/NBLeftSideViewController.h"
#include "app/NBMainSplitViewController.h"
#include "common/Logger.h"
#include "app/AppLog.h"

namespace {

const QString kGeneral = QStringLiteral("general");
const QString kOption = QStringLiteral("--open");

QHash<QString, StartupOpenOption::Opener> &openers()
{
    static QHash<QString, StartupOpenOption::Opener> registered;
    return registered;
}

void openGeneral(NBMainSplitViewController &split)
{
    // No menu row stands for the page: with home left highlighted, a click on home would find it
    // selected already and lead nowhere.
    if (split.leftSide())
        split.leftSide()->clearHighlight();
    split.switchContent(NBLeftMenuType::general);
}

} // namespace

void StartupOpenOption::registerOpener(const QString &name, Opener opener)
{
    openers().insert(name, std::move(opener));
}

void StartupOpenOption::unregisterOpener(const QString &name)
{
    openers().remove(name);
}

QStringList StartupOpenOption::names()
{
    QStringList all = openers().keys();
    if (!all.contains(kGeneral))
        all << kGeneral;
    all.sort();
    return all;
}

QString StartupOpenOption::fromArguments(const QStringList &arguments)
{
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument.startsWith(kOption + QLatin1Char('=')))
            return argument.mid(kOption.size() + 1);
        if (argument == kOption)
            return i + 1 < arguments.size() ? arguments.at(i + 1) : QString();
    }
    return QString();
}

StartupOpenOption::StartupOpenOption(QString name)
    : m_name(std::move(name))
{
}

bool StartupOpenOption::applyOnce(NBMainSplitViewController &split)
{
    if (m_used || m_name.isEmpty())
        return false;
    m_used = true;
    const auto registered = openers().constFind(m_name);
    if (registered != openers().constEnd() && *registered) {
        (*registered)(split);
    } else if (m_name == kGeneral) {
        openGeneral(split);
    } else {
        const QString message = QStringLiteral("--open: no page is called \"%1\"; known: %2")
                                    .arg(m_name.left(64), names().join(QStringLiteral(", ")));
        OSTREL_LOG(Logger::Warning, message);
        qCWarning(lcApp).noquote() << message;
        return false;
    }
    OSTREL_LOG(Logger::Info, QStringLiteral("opened at start: ") + m_name);
    return true;
}
