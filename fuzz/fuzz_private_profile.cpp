// Fuzzes the ini reader and writer over a hostile settings file: the first
// three bytes give the lengths of a section, key and value taken from the
// data, the rest is the file. Reading must never fail, and a value the writer
// accepts must read back exactly (the first matching key is the one written).
#include "platform/PrivateProfile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

void Check(bool condition) {
  if (!condition)
    __builtin_trap();
}

const std::string& ScratchFile() {
  static const std::string path = "/tmp/fuzz_private_profile." + std::to_string(::getpid()) + ".ini";
  return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3)
    return 0;
  std::string rest(reinterpret_cast<const char*>(data) + 3, size - 3);
  auto take = [&rest](std::size_t length) {
    std::string piece = rest.substr(0, length);
    rest.erase(0, piece.size());
    return piece;
  };
  const std::string section = take(data[0] % 16), key = take(data[1] % 16);
  const std::string value = take(data[2] % 300);

  const std::string& file = ScratchFile();
  if (std::FILE* out = std::fopen(file.c_str(), "wb")) {
    std::fwrite(rest.data(), 1, rest.size(), out);
    std::fclose(out);
  }
  platform::ReadProfileString(file, section, key, "fallback");
  platform::ReadProfileInt(file, section, key, 7);
  if (platform::WriteProfileString(file, section, key, value))
    Check(platform::ReadProfileString(file, section, key, "", value.size() + 1) == value);
  std::remove(file.c_str());
  return 0;
}
