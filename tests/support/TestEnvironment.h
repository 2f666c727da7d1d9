#pragma once

#include <QString>
#include <QStringList>

// What a test program takes from the shell that started it. An engineer runs the tests inside a
// desktop session, where the environment names the user's display, session bus and proxy; none of
// it may reach a test or change a result. The entry scrubs it before anything reads it, and
// children the tests start inherit the result.
namespace TestEnvironment {

// Names the display a web-view program started for itself (see WebTestDisplay): a display counts
// as the program's own only while this variable names it.
inline constexpr char kOwnDisplayVariable[] = "OSTREL_WEB_TEST_XVFB";

// The session's display (unless it is the program's own), bus, proxy, desktop identity, locale,
// time zone and look, and what the client reads for debugging: gone or set to one value. Runs
// ahead of every static initialiser of the program.
void leaveTheSession();

// Whether DISPLAY is the X display the program started for itself.
bool underOwnDisplay();

// The command that runs `program` with `arguments` under an X display of its own (xvfb-run picks a
// free one, of the given screen, e.g. "1280x800x24"), named to it as its own.
QStringList ownDisplayCommand(const QString &screen, const QString &program, const QStringList &arguments);

} // namespace TestEnvironment
