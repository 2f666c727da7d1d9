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

NBBaseViewController *ScreenFactory::make(const QString &name, QWidget *parent) const
{
    const auto it = m_makers.constFind(name);
    if (it != m_makers.constEnd()) {
        if (NBBaseViewController *screen = (*it)(parent))
            return screen;
    }
    return new PlaceholderViewController(name, parent);
}
