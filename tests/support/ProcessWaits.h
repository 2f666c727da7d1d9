#pragma once

#include <vector>

#include <sys/types.h>

// What a test waits for in another process, read from /proc (ProcScan) while the event loop turns.
// The waits for a state (gone, stopped) share one bound, only a guard against a test hanging: far
// beyond what a slow machine (a sanitizer's build beside busy loops) takes, never what decides.
namespace ProcessWaits {

// True once it is gone, or a zombie that only waits for its parent to take its status: what it
// was told (an end signal, its parent's end) it acts on in its own time.
bool gone(pid_t pid);
// Kills it; true once it is gone as above.
bool end(pid_t pid);
// Stops it; true once it shows stopped. A stop reaches a process in its own time; once its main
// thread has stopped, every other thread stops before it runs on.
bool stop(pid_t pid);
// The numbers of the descriptors it holds once it holds only the standard streams (0, 1, 2), or
// after a bound: a program's own start-up (its loader, its C library's locale files) holds one for
// a moment, while one it inherited it holds for good.
std::vector<int> settledDescriptors(pid_t pid);

} // namespace ProcessWaits
