#pragma once

// The shell the leftover probe leaves ending in its own time: it takes half a second over its end
// signal, as a daemon putting things back does. The entry's test finds it by this command.
inline constexpr char kSlowToEnd[] = "trap 'sleep 0.5; exit 0' TERM; while :; do sleep 0.1; done";
