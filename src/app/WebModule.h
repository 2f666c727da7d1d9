#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class WebViews;

// Finds and loads, once and on first use, the module that holds the web pages (Chromium's
// views, the page controller and its screens). Loading it registers its screens with the
// ScreenFactory and hands in its WebViews; a program that links the pages itself installs them
// before main and never loads anything.
//
// The module is looked for beside the executable and in ../lib/ostrel from it, which is where the
// build tree and the installed package both put it. It stays loaded for the program's life:
// Chromium cannot be unloaded.
class WebModule
{
public:
    // The module's file name, and the function it exports to say which interface it was built for.
    static const char *const kFileName;
    static const char *const kEntryName;
    static constexpr int kInterfaceVersion = 1;

    // The screens the module makes. ShellScreens' registration marks them as loaded on demand.
    static QStringList screenNames();

    // Loads the module unless its pages are already here. The first outcome is kept: a module
    // that failed is not tried again. True when the pages are here.
    static bool load();
    // The pages' WebViews, loading the module on first use; null (logged) when it cannot load.
    static WebViews *views();
    // Whether the pages are here or a module file is there to load them from.
    static bool available();
    static bool isLoaded();
    // Why the last load failed (empty after a success).
    static QString errorString();

    // Where the module is looked for, in order.
    static QStringList candidatePaths();
    // Loads the module at `path` now, answering why not in `error`. load() goes through this.
    static bool loadFrom(const QString &path, QString *error);

    // What Chromium and the GL driver must be told before either starts (load() does it first; a
    // program that links the pages does it before its application object). Adds to what the
    // environment already says.
    static void prepareEngineEnvironment();

    // The GL context Chromium's frames reach Qt's views through, and how Chromium draws on this
    // machine. Needs the application object and comes before the first page: load() does it, a
    // program that links the pages and leaves the graphics to the client's choice calls it.
    static void prepareGraphics();
    // Its choice for a GL of that renderer name (empty: no GL): Chromium draws the pages without
    // its GPU road (--disable-gpu) where the GL is drawn by the CPU.
    static bool drawsPagesInSoftware(const QByteArray &glRenderer);

    // The pages' own registration hands in its views, before main in a program that links them
    // and while the module loads otherwise. Kept for the program's life.
    static void install(std::unique_ptr<WebViews> views);

private:
    WebModule() = delete;
};
