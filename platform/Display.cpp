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

// A socket connected to the path, or -1.
int Connect(const std::string& socketPath) {
  sockaddr_un address{};
  if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path)
    return -1;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0)
    return -1;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
    return fd;
  ::close(fd);
  return -1;
}

int ConnectWayland() {
  const std::string name = Environment("WAYLAND_DISPLAY");
  if (name.empty())
    return -1;
  return Connect(name.front() == '/' ? name : Environment("XDG_RUNTIME_DIR") + "/" + name);
}

enum class X11Display { None, Remote, Local };

// ":N", ":N.S" and "unix:N" are local sockets; "host:N" goes over the network.
X11Display ConnectX11(int& fd) {
  const std::string display = Environment("DISPLAY");
  const auto colon = display.rfind(':');
  if (colon == std::string::npos)
    return X11Display::None;
  const std::string host = display.substr(0, colon);
  if (!host.empty() && host != "unix")
    return X11Display::Remote;
  const std::string number = display.substr(colon + 1, display.find('.', colon) - colon - 1);
  if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
    return X11Display::None;
  fd = Connect("/tmp/.X11-unix/X" + number);
  return fd >= 0 ? X11Display::Local : X11Display::None;
}

} // namespace

DisplayConnection::DisplayConnection() {
  const std::string chosen = Environment("QT_QPA_PLATFORM");
  if (!chosen.empty() && !chosen.starts_with("xcb") && !chosen.starts_with("wayland")) {
    available_ = true;
    return;
  }
  socket_ = ConnectWayland();
  available_ = socket_ >= 0 || ConnectX11(socket_) != X11Display::None;
}

DisplayConnection::~DisplayConnection() {
  if (socket_ >= 0)
    ::close(socket_);
}

} // namespace platform
