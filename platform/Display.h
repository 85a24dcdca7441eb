// Whether a desktop session can show a window, asked before any GUI toolkit
// is loaded: a toolkit that finds no display ends the process instead of
// failing politely.
#pragma once

namespace platform {

// True when a Wayland or X11 display named by the environment accepts a
// connection, or a windowing system other than those two is chosen
// (QT_QPA_PLATFORM, e.g. "offscreen"). An X11 display on another host is
// taken on trust.
bool DisplayAvailable();

} // namespace platform
