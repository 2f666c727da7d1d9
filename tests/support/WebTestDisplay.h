#pragma once

// Chromium needs a display. A web-view test program calls this from a static initializer, so it
// runs before main:
//
//     const bool kUnderDisplay = WebTestDisplay::ensure();
//
// With a display (or once re-run) it sets the X platform, no sandbox (tests run as root) and
// software rendering, and answers true. Without one it runs the same program again under
// `xvfb-run -a` with the same arguments and never returns; when xvfb-run is missing it answers
// false, and the tests say so.
namespace WebTestDisplay {
bool ensure();
}
