#include "pdf/PdfNumbers.h"

#include <array>
#include <charconv>

namespace pdf {

std::string Decimal(std::uint64_t value) {
  std::array<char, 24> text{};
  auto result = std::to_chars(text.data(), text.data() + text.size(), value);
  return std::string(text.data(), result.ptr);
}

std::string SignedDecimal(std::int64_t value) {
  std::array<char, 24> text{};
  auto result = std::to_chars(text.data(), text.data() + text.size(), value);
  return std::string(text.data(), result.ptr);
}

std::string Fixed4(double value) {
  // to_chars rounds the exact binary value correctly, as glibc's printf does.
  std::array<char, 400> text{};
  auto result =
      std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, 4);
  if (result.ec != std::errc())
    return "0.0000";
  return std::string(text.data(), result.ptr);
}

std::string TenDigits(std::uint64_t value) {
  std::string digits = Decimal(value);
  if (digits.size() < 10)
    digits.insert(0, 10 - digits.size(), '0');
  return digits;
}

} // namespace pdf
