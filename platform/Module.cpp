#include "platform/Module.h"

#include <dlfcn.h>

namespace platform {

Module::Module(const std::string& path) : handle_(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}

Module::~Module() {
  if (handle_)
    ::dlclose(handle_);
}

void* Module::Symbol(const char* name) const { return handle_ ? ::dlsym(handle_, name) : nullptr; }

} // namespace platform
