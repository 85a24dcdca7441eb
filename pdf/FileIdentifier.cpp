#include "pdf/FileIdentifier.h"

#include <cstdint>

namespace pdf {

namespace {

thread_local std::uint32_t generatorState = 1;

std::uint32_t NextRandom() {
  generatorState = generatorState * 214013u + 2531011u;
  return (generatorState >> 16) & 0x7FFF;
}

} // namespace

std::string NextFileIdentifier() {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (int i = 0; i < 4; ++i) {
    const std::uint32_t value = NextRandom();
    // Stored as a little-endian 32-bit integer, then printed byte by byte.
    for (int byte = 0; byte < 4; ++byte) {
      const unsigned b = (value >> (8 * byte)) & 0xFF;
      text += kHex[b >> 4];
      text += kHex[b & 15];
    }
  }
  return text;
}

} // namespace pdf
