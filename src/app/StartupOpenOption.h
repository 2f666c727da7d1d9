#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class NBMainSplitViewController;

// A page that no control of the client opens, shown once when the main content first appears:
// `ostrel --open general` selects the split view's general page, and a later layer adds names of
// its own ("notice") with registerOpener, so the shell links none of them. The demo script passes
// it so that a newcomer can reach every screen; an unknown name is logged and ignored.
class StartupOpenOption
{
public:
    using Opener = std::function<void(NBMainSplitViewController &split)>;

    // A later registration under the same name replaces the earlier one (tests).
    static void registerOpener(const QString &name, Opener opener);
    static void unregisterOpener(const QString &name);
    // "general" and every registered name, sorted.
    static QStringList names();

    // The value of "--open NAME" or "--open=NAME" among the program's arguments; empty without one.
    static QString fromArguments(const QStringList &arguments);

    explicit StartupOpenOption(QString name = {});

    QString name() const { return m_name; }
    // Opens the page over that split view the first time only: a split view rebuilt later (a new
    // language, a sign-in) starts on its home page as usual. Answers whether a page was opened.
    bool applyOnce(NBMainSplitViewController &split);

private:
    QString m_name;
    bool m_used = false;
};
