#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class NBBaseViewController;
class QWidget;

// Makes screens by the names the program gives them: a storyboard's initial screen ("Home",
// "Upgrade", "Genaral", "Contact", "About", "Guid", "LaunchAd"), a screen of a storyboard
// ("Main/MainSplitViewController", "Guid/NBGuidViewController") or a nib ("NBLoginViewCOntroller").
// Layers register their makers; the shell asks by name and so links no later screen. An
// unknown name gives a plain placeholder screen that shows the name, so every slot fills.
//
// Registration from a layer: a file named <Something>ScreenRegistration.cpp anywhere under src/
// is compiled into every program that links ostrel_screens, so its static registrar runs:
//
//     #include "uikit/ScreenFactory.h"
//     OSTREL_REGISTER_SCREEN("Home", [](QWidget *parent) { return new NBHomeViewController(parent); })
class ScreenFactory
{
public:
    using Maker = std::function<NBBaseViewController *(QWidget *parent)>;

    static ScreenFactory &instance();

    // "Storyboard" for the initial screen, "Storyboard/Identifier" for a named one.
    static QString key(const QString &storyboard, const QString &identifier = {});

    // A later registration under the same name replaces the earlier one (tests, fakes).
    void registerScreen(const QString &name, Maker maker);
    void unregisterScreen(const QString &name);
    bool hasScreen(const QString &name) const;

    // Screens that live in a module the program loads on first use: asking for one of these names
    // while nothing is registered under it runs `load` (at most once per program; the module
    // registers its makers as it loads), then makes the screen as usual. A failed load leaves the
    // placeholder, as for any unknown name.
    using Loader = std::function<bool()>;
    void registerOnDemand(const QStringList &names, Loader load);
    bool isOnDemand(const QString &name) const;
    QStringList names() const;

    // A new screen (not loaded yet; containers load it), parented to parent. Never null.
    NBBaseViewController *make(const QString &name, QWidget *parent = nullptr) const;
    NBBaseViewController *make(const QString &storyboard, const QString &identifier, QWidget *parent) const
    {
        return make(key(storyboard, identifier), parent);
    }

private:
    ScreenFactory() = default;
    void loadOnDemand(const QString &name) const;

    QHash<QString, Maker> m_makers;
    QHash<QString, std::shared_ptr<Loader>> m_onDemand;
};

namespace ostrel_detail {
struct ScreenRegistrar
{
    ScreenRegistrar(const char *name, ScreenFactory::Maker maker)
    {
        ScreenFactory::instance().registerScreen(QString::fromUtf8(name), std::move(maker));
    }
};
} // namespace ostrel_detail

#define OSTREL_SCREEN_CONCAT2(a, b) a##b
#define OSTREL_SCREEN_CONCAT(a, b) OSTREL_SCREEN_CONCAT2(a, b)
#define OSTREL_REGISTER_SCREEN(name, ...)                                                          \
    namespace {                                                                                    \
    const ostrel_detail::ScreenRegistrar OSTREL_SCREEN_CONCAT(ostrelScreenRegistrar_, __LINE__)(name, __VA_ARGS__); \
    }
