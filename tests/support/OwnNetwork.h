#pragma once

#include <QtGlobal>

#include <optional>
#include <string>

// The client's local listener has a fixed port (127.0.0.1:9999), which every run of the tests on a
// machine would want at once: two checkouts, a CI runner beside a developer, ctest's parallel jobs.
// A program whose tests start an engine on it therefore runs in a network of its own: before
// anything else of the program, it moves into a new network namespace with only its own loopback
// (as root a plain one; otherwise inside a user namespace of its own, where the kernel allows
// that), so the port is always free for it and nothing it listens on meets another run.
//
// The program moves only if it uses the listener: this file's object, which makes the move, is
// linked into a program only when its tests ask for the listener (listenerUnavailable()).
//
// Where no namespace can be had, the programs that need the listener take turns through a lock
// of the machine's (a name in the abstract socket space), held for the program's life, and a case that still finds the port taken
// (by a program outside the tests) is skipped, marked so that ctest counts it as skipped. Under
// OSTREL_TEST_LISTENER_REQUIRED=1 (set by CI) such a case fails instead, with the reason.
namespace OwnNetwork {

// Whether the program runs in a network namespace of its own.
bool entered();

// Whether a case that wants the listener must have it (OSTREL_TEST_LISTENER_REQUIRED=1).
bool required();

// Why 127.0.0.1:`port` cannot be this program's for its tests, or nothing. Where no namespace
// could be had, it first waits its turn at the machine's lock.
std::optional<std::string> listenerUnavailable(quint16 port);

// What precedes a skip for want of the listener, in the case's output: ctest counts a program
// whose output holds it as skipped (tests/CMakeLists.txt).
inline constexpr char kSkipMarker[] = "OSTREL-SKIP-NO-OWN-LISTENER";

} // namespace OwnNetwork
