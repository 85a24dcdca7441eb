// Shared modules opened at run time (the window is one, so that a
// command-line run never loads a GUI toolkit).
#pragma once

#include <memory>
#include <string>

namespace platform {

class Module {
public:
  // Opens the module; IsOpen() is false when it cannot be loaded.
  explicit Module(const std::string& path);
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  bool IsOpen() const { return handle_ != nullptr; }
  // Address of an exported symbol, or nullptr.
  void* Symbol(const char* name) const;
  // Why the last open or lookup failed.
  std::string LastError() const { return error_; }

private:
  void* handle_ = nullptr;
  std::string error_;
};

} // namespace platform
