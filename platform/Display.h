// Whether a desktop session can show a window, asked before any GUI toolkit
// is loaded: a toolkit that finds no display ends the process instead of
// failing politely.
#pragma once

namespace platform {

// Probes the display the environment names when made, and holds the probe's
// connection open while it lives: an X server whose last client leaves resets
// itself, and a toolkit that connects during that reset fails. Keep it until
// the window has connected.
class DisplayConnection {
public:
  DisplayConnection();
  ~DisplayConnection();
  DisplayConnection(const DisplayConnection&) = delete;
  DisplayConnection& operator=(const DisplayConnection&) = delete;

  // True when a Wayland or X11 display named by the environment accepted the
  // connection, or a windowing system other than those two is chosen
  // (QT_QPA_PLATFORM, e.g. "offscreen"). An X11 display on another host is
  // taken on trust.
  bool Available() const { return available_; }

private:
  bool available_ = false;
  int socket_ = -1;
};

} // namespace platform
