#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

// What a test program takes from the shell that started it. An engineer runs the tests inside a
// desktop session, whose environment names the user's display, session bus, session manager and
// proxy, and switches for Qt, Chromium, the GL driver and the client; none of it may reach a test
// or change a result. The entry keeps only the names a test program needs to run and to be run
// (an allow-list) and sets the rest itself, before anything reads it; children the tests start
// inherit the result.
namespace TestEnvironment {

// Names the display a web-view program started for itself (see WebTestDisplay), as "<pid>
// <display>": a display counts as the program's own only while this variable names it with the
// program's pid, so a program that one starts does not take its display for its own.
inline constexpr char kOwnDisplayVariable[] = "OSTREL_TEST_OWN_DISPLAY";

// Marks every process of a run of a test program, whatever HOME a test gives it: "<pid>:<start
// time>" of the program, after the marker of the run that started it when a test started the
// program ("<outer run>/<pid>:<start time>"), so that an outer run finds an inner one's too.
inline constexpr char kRunVariable[] = "OSTREL_TEST_RUN";

// Removes every variable outside the allow-list, then sets the language, the time zone, the
// platform (the program's own display, else offscreen), Chromium's sandbox switch (tests run as
// root, where Chromium refuses its sandbox) and, when OSTREL_TEST_LOGGING_RULES gives them, Qt's
// logging rules. Runs ahead of every static initialiser of the program. The run folder's own (HOME,
// TMPDIR, the XDG folders, the bus address) the entry sets once it made that folder.
void leaveTheSession();

// Sets this run's marker; answers what marks a process the run started (for LeftoverProcesses and
// LeftoverWarden): the marker, or a HOME inside the run's folder (which holds the profile).
std::vector<std::string> markTheRun(const std::string &folder);

// Whether DISPLAY is the X display the program started for itself.
bool underOwnDisplay();

// The command that runs `program` with `arguments` under an X display of its own (xvfb-run picks a
// free one, of the given screen, e.g. "1280x800x24"), named to it as its own.
QStringList ownDisplayCommand(const QString &screen, const QString &program, const QStringList &arguments);

} // namespace TestEnvironment
