#pragma once

#include <string>

// A case that cannot run here for want of something outside its program: a tool the test command
// installs (curl, xvfb-run, node, ss-server), the client's fixed listener, or a network namespace
// of the program's own. Such a skip must not pass for a run: ctest counts the program as skipped
// (the test entry ends it with kSkippedExitCode, which tests/CMakeLists.txt gives ctest), and only
// when no case of the program failed, so a failing case never reads as a skip.
//
// Where the test command installed the tools or the run must have the listener, the want is a
// failure of the case instead: OSTREL_TEST_TOOLS_REQUIRED=1 and OSTREL_TEST_LISTENER_REQUIRED=1
// (both set by CI). A namespace is the machine's to give: its want is always a skip.
//
// Used as `GTEST_SKIP() << WantedSkip::tool("curl is not installed");`: a failure added before
// the skip outweighs it in GoogleTest's result.
namespace WantedSkip {

enum class Want { Tool, Listener, Namespace };

// Whether a want of this kind fails the case here.
bool required(Want want);

// Records the skip for the program's end, or, where the want is required, adds a failure to the
// running case that names it; either way the text to skip with.
std::string skip(Want want, const std::string &reason);

inline std::string tool(const std::string &reason)
{
    return skip(Want::Tool, reason);
}

// Whether a case of the program skipped for a want (and was not failed for it).
bool anySkipped();

// The exit status of a program whose cases all passed but some skipped for a want.
inline constexpr int kSkippedExitCode = 77;

} // namespace WantedSkip
