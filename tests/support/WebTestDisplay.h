#pragma once

// Chromium needs a display. A web-view test program calls this from a static initializer, so it
// runs before main:
//
//     const bool kUnderDisplay = WebTestDisplay::ensure();
//
// A program always draws on a display of its own, never on the user's screen: it runs itself again
// under `xvfb-run -a` with the same arguments and never returns (when xvfb-run is missing it
// answers false, and the tests say so). Re-run, under its own display (where the entry chose the X
// platform), it sets software rendering (Chromium's --disable-gpu) and answers true.
//
// `AsTheClient` leaves the graphics to the client's own set-up (WebModule::prepareGraphics, which
// the program then calls after its application object, as the client's module loader does): GPU
// compositing unless the machine's GL is software only, and no shared context made early.
namespace WebTestDisplay {
enum class Graphics { Software, AsTheClient };
bool ensure(Graphics graphics = Graphics::Software);
}
