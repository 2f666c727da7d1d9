#include "support/TestEnvironment.h"

#include <QByteArray>
#include <QtGlobal>

namespace {

// Each of these reaches the user's session or changes what a test sees. The profile's own (HOME,
// the XDG folders, the bus address) are set by the entry once it made the profile.
constexpr const char *kGone[] = {
    // The proxy: curl, Chromium and Qt's system proxy would all take it.
    "http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "ftp_proxy", "FTP_PROXY", "all_proxy", "ALL_PROXY",
    "no_proxy", "NO_PROXY", "socks_proxy", "SOCKS_PROXY",
    // The session bus (and the accessibility bus reached through it).
    "DBUS_SESSION_BUS_ADDRESS", "DBUS_STARTER_ADDRESS", "DBUS_STARTER_BUS_TYPE", "AT_SPI_BUS_ADDRESS",
    // Which desktop this is: it picks the helper's backend and the settings program.
    "XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP", "XDG_SESSION_TYPE", "DESKTOP_SESSION", "KDE_FULL_SESSION",
    "KDE_SESSION_VERSION", "GNOME_DESKTOP_SESSION_ID", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS",
    // How Qt draws: what a screen test measures.
    "QT_QPA_PLATFORMTHEME", "QT_STYLE_OVERRIDE", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
    "QT_AUTO_SCREEN_SCALE_FACTOR", "QT_ENABLE_HIGHDPI_SCALING", "QT_SCALE_FACTOR_ROUNDING_POLICY", "QT_FONT_DPI",
    "QTWEBENGINE_CHROMIUM_FLAGS",
    // What the client reads for debugging or in place of its bundled script.
    "OSTREL_DEBUG", "QT_LOGGING_RULES", "QT_MESSAGE_PATTERN", "OSTREL_UPGRADE_SCRIPT",
    // The language: texts and number formats.
    "LANGUAGE", "LC_ALL", "LC_CTYPE", "LC_NUMERIC", "LC_TIME", "LC_COLLATE", "LC_MONETARY", "LC_MESSAGES",
    "LC_PAPER", "LC_NAME", "LC_ADDRESS", "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION"};

// The user's screen, unless the program runs under the display it started for itself.
constexpr const char *kDisplay[] = {"DISPLAY", "XAUTHORITY", TestEnvironment::kOwnDisplayVariable};

} // namespace

namespace TestEnvironment {

bool underOwnDisplay()
{
    const QByteArray own = qgetenv(kOwnDisplayVariable);
    return !own.isEmpty() && own == qgetenv("DISPLAY");
}

QStringList ownDisplayCommand(const QString &screen, const QString &program, const QStringList &arguments)
{
    const QString script = QStringLiteral("export %1=\"$DISPLAY\"; exec \"$0\" \"$@\"").arg(QLatin1String(kOwnDisplayVariable));
    return QStringList{QStringLiteral("xvfb-run"), QStringLiteral("-a"), QStringLiteral("-s"),
                       QStringLiteral("-screen 0 ") + screen, QStringLiteral("sh"), QStringLiteral("-c"), script, program}
        + arguments;
}

void leaveTheSession()
{
    for (const char *name : kGone)
        qunsetenv(name);
    qputenv("LANG", "C.UTF-8");
    qputenv("TZ", "UTC");
    // Wayland never: a program under its own display draws there through X.
    qunsetenv("WAYLAND_DISPLAY");
    if (underOwnDisplay())
        return;
    for (const char *name : kDisplay)
        qunsetenv(name);
    qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace TestEnvironment
