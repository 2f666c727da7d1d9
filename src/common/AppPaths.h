#pragma once

#include <QString>
#include <QUrl>

// Where the program keeps its files. Everything resolves from HOME and the XDG variables, so a
// test or the demo gives the program a fresh profile by pointing HOME at a temporary folder.
namespace AppPaths {

// "~/.Ostrel_mac_Pelmorath": the data folder other programs and scripts rely on, name as it is.
QString dataFolder();
QUrl dataFolderURL();
QString privateFolder();   // archives, access-control lists, engine configuration files
QString olderPrivateFolder(); // "~/.Ostrel_mac_privoxy/private", left by earlier programs; only read
QString pageFolder();      // unpacked web pages
QString usersFolder();

QString configFolder();    // $XDG_CONFIG_HOME/ostrel: the defaults suites
QString cachesFolder();    // $XDG_CACHE_HOME/ostrel: the database, the image cache
QString downloadsFolder(); // $XDG_DOWNLOAD_DIR, else ~/Downloads
QString logFolder();       // <caches>/logs
QString runtimeFolder();   // $XDG_RUNTIME_DIR/ostrel (gone with the session), else <caches>/run

// The application's resource folder ("the bundle"): share/ostrel beside bin/, found from the
// executable's own path. Tests may point it elsewhere.
QString resourceFolder();
QString resourcePath(const QString &relative);
void setResourceFolderForTesting(const QString &folder);

// What the build makes from the resources (the page archives, the default notice page):
// share/ostrel-built beside bin/. Apart from the bundle, so that each build folder keeps its own
// and none is written into the sources (the build tree's share/ostrel is the source folder).
QString builtResourceFolder();
QString builtResourcePath(const QString &relative);
void setBuiltResourceFolderForTesting(const QString &folder);

// The root-owned folder of what the install scripts put on the machine for every user: the
// engines and the proxy-settings helper ("/opt/Ostrel_mac_Pelmorath"). Under the tests' marker
// (OSTREL_TEST=1) OSTREL_INSTALL_FOLDER names it instead: test programs point it into their own
// profile, and clients they start inherit it, so that nothing a run of the client installed on
// the machine is ever started by a test.
QString installFolder();

// Creates the folder (and parents) with the given permissions when it is missing.
bool ensureFolder(const QString &path, bool privateToUser = false);

} // namespace AppPaths
