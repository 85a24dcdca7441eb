// Shared modules opened at run time (the window is one, so that a
// command-line run never loads a GUI toolkit).
#pragma once

#include <string>

namespace platform {

class Module {
public:
  // Opens the module; Symbol() finds nothing when it cannot be loaded.
  explicit Module(const std::string& path);
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  // Address of an exported symbol, or nullptr.
  void* Symbol(const char* name) const;

private:
  void* handle_ = nullptr;
};

} // namespace platform
