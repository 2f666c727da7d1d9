#include "uikit/ScreenFactory.h"

#include "uikit/PlaceholderViewController.h"

ScreenFactory &ScreenFactory::instance()
{
    static ScreenFactory factory;
    return factory;
}

QString ScreenFactory::key(const QString &storyboard, const QString &identifier)
{
    return identifier.isEmpty() ? storyboard : storyboard + QLatin1Char('/') + identifier;
}

void ScreenFactory::registerScreen(const QString &name, Maker maker)
{
    if (name.isEmpty() || !maker)
        return;
    m_makers.insert(name, std::move(maker));
}

void ScreenFactory::unregisterScreen(const QString &name)
{
    m_makers.remove(name);
}

bool ScreenFactory::hasScreen(const QString &name) const
{
    return m_makers.contains(name);
}

QStringList ScreenFactory::names() const
{
    QStringList list = m_makers.keys();
    list.sort();
    return list;
}

void ScreenFactory::registerOnDemand(const QStringList &names, Loader load)
{
    if (!load)
        return;
    // One loader for all the names: the module loads once whichever of its screens comes first.
    auto shared = std::make_shared<Loader>(std::move(load));
    for (const QString &name : names) {
        if (!name.isEmpty())
            m_onDemand.insert(name, shared);
    }
}

bool ScreenFactory::isOnDemand(const QString &name) const
{
    return m_onDemand.contains(name);
}

void ScreenFactory::loadOnDemand(const QString &name) const
{
    const auto it = m_onDemand.constFind(name);
    if (it == m_onDemand.constEnd() || !*it || !**it)
        return;
    // Taken out before it runs: a module that fails to load is not tried again on every ask,
    // and one that registers under its own names cannot recurse into its loader.
    const std::shared_ptr<Loader> loader = *it;
    Loader load = std::move(*loader);
    *loader = nullptr;
    load();
}

NBBaseViewController *ScreenFactory::make(const QString &name, QWidget *parent) const
{
    if (!m_makers.contains(name))
        loadOnDemand(name);
    const auto it = m_makers.constFind(name);
    if (it != m_makers.constEnd()) {
        if (NBBaseViewController *screen = (*it)(parent))
            return screen;
    }
    return new PlaceholderViewController(name, parent);
}
