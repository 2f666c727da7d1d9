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
// A kernel may make the namespaces and then deny the user every right in them (mapping the user,
// bringing the loopback up), and a move once begun cannot be undone. So a child tries the whole
// move first, and the program moves only after the child's worked; otherwise it stays in the
// machine's network, as where no namespace can be had, keeping the reason for its skips. Only a
// move of its own that fails after the child's worked ends the program, before main, as half made.
// OSTREL_TEST_PLANT_NAMESPACE=map|loopback (a test's plant) denies that step as such a kernel does.
//
// The program moves only if it uses the listener: this file's object, which makes the move, is
// linked into a program only when its tests ask for the listener (listenerUnavailable(), through
// LocalRelay and RelayRoadFixture), since the test support is a static library.
//
// Where no namespace can be had, the programs that need the listener take turns through a lock of
// the machine's (a name in the abstract socket space), held for the program's life. A case that
// still finds the port taken (by a program outside the tests) is skipped for want of it, and ctest
// counts its program as skipped (support/WantedSkip.h); under OSTREL_TEST_LISTENER_REQUIRED=1 (set
// by CI) such a case fails instead, with the reason.
namespace OwnNetwork {

// Whether the program runs in a network namespace of its own.
bool entered();

// Why the program has no network of its own, for a case that needs one, or nothing. A namespace is
// the machine's to give: its want is a skip wherever it is met, CI included.
std::optional<std::string> namespaceUnavailable();

// Why 127.0.0.1:`port` cannot be this program's for its tests, or nothing. Where no namespace
// could be had, it first waits its turn at the machine's lock.
std::optional<std::string> listenerUnavailable(quint16 port);

} // namespace OwnNetwork
