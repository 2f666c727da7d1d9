#pragma once

// The start-up steps of the foundation services, run once before any window opens:
// the connection-state defaults are reset (no engine survives a restart), the application
// language is chosen and logged, and the start-up defaults are registered.
namespace FoundationStartup {

void run();

} // namespace FoundationStartup
