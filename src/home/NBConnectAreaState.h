#pragma once

// The connect area's looks.
enum class NBConnectAreaState { pausing = 0, paused = 1, loading = 2, running = 3, killSwitch = 4 };
