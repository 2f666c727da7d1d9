#pragma once

#include <functional>
#include <optional>
#include <string>

// A step a program cannot undo (moving into a namespace, mounting there), tried first in a forked
// child that ends with it: a kernel may grant the first half and refuse the rest, which the program
// could only learn by doing it. Called before main, while the program has one thread, so the child
// may run anything of it.
namespace ChildTrial {

// Runs `trial` in a child: nothing when it worked, else why not (the trial's own words, or how the
// child was lost).
std::optional<std::string> run(const std::function<std::optional<std::string>()> &trial);

// `what`, then the system's reason for the last call that failed (errno).
std::string errorText(const std::string &what);

// Writes `text` into an existing file (a /proc setting) in one write; false when it was refused.
bool writeFile(const char *path, const std::string &text);

} // namespace ChildTrial
