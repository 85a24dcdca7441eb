#include "platform/Display.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool Accepts(const std::string& socketPath) {
  sockaddr_un address{};
  if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path)
    return false;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0)
    return false;
  const bool connected =
      ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return connected;
}

bool WaylandAvailable() {
  const std::string name = Environment("WAYLAND_DISPLAY");
  if (name.empty())
    return false;
  return Accepts(name.front() == '/' ? name : Environment("XDG_RUNTIME_DIR") + "/" + name);
}

// ":N", ":N.S" and "unix:N" are local sockets; "host:N" goes over the network.
bool X11Available() {
  const std::string display = Environment("DISPLAY");
  const auto colon = display.rfind(':');
  if (colon == std::string::npos)
    return false;
  const std::string host = display.substr(0, colon);
  if (!host.empty() && host != "unix")
    return true;
  const std::string number = display.substr(colon + 1, display.find('.', colon) - colon - 1);
  if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
    return false;
  return Accepts("/tmp/.X11-unix/X" + number);
}

} // namespace

bool DisplayAvailable() {
  const std::string chosen = Environment("QT_QPA_PLATFORM");
  if (!chosen.empty() && !chosen.starts_with("xcb") && !chosen.starts_with("wayland"))
    return true;
  return WaylandAvailable() || X11Available();
}

} // namespace platform
