#pragma once

#include <QString>
#include <QStringList>

// What a test program takes from the shell that started it. An engineer runs the tests inside a
// desktop session, whose environment names the user's display, session bus, session manager and
// proxy, and switches for Qt, Chromium, the GL driver and the client; none of it may reach a test
// or change a result. The entry keeps only the names a test program needs to run and to be run
// (an allow-list) and sets the rest itself, before anything reads it; children the tests start
// inherit the result.
namespace TestEnvironment {

// Names the display a web-view program started for itself (see WebTestDisplay): a display counts
// as the program's own only while this variable names it.
inline constexpr char kOwnDisplayVariable[] = "OSTREL_TEST_OWN_DISPLAY";

// Removes every variable outside the allow-list, then sets the language, the time zone, the platform (the
// program's own display, else offscreen) and Chromium's sandbox switch (tests run as root, where
// Chromium refuses its sandbox). Runs ahead of every static initialiser of the program. The
// profile's own (HOME, the XDG folders, the bus address) the entry sets once it made the profile.
void leaveTheSession();

// Whether DISPLAY is the X display the program started for itself.
bool underOwnDisplay();

// The command that runs `program` with `arguments` under an X display of its own (xvfb-run picks a
// free one, of the given screen, e.g. "1280x800x24"), named to it as its own.
QStringList ownDisplayCommand(const QString &screen, const QString &program, const QStringList &arguments);

} // namespace TestEnvironment
