#pragma once

#include <QString>

// "%02d:%02d:%02d" of hours, minutes and seconds (whole seconds, rounded down). Hours are not
// wrapped at a day. A negative or non-finite count reads as zero.
QString formatHMS(double seconds);

// Removes "<data folder>/users" when it exists. A failure is printed, never raised; the result
// tells whether the folder is gone.
bool removeUserCacheFolder();

// True on the thread that runs the application's event loop (and when there is no application
// object yet, as in a tool that never starts a loop).
bool isOnMainThread();
