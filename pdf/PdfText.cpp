#include "pdf/PdfText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <optional>
#include <vector>

#include "pdf/PdfNumbers.h"

namespace pdf {

namespace {

void AppendEscapedByte(std::string& out, unsigned char byte) {
  if (byte < 0x20 || byte >= 0x7F) {
    out += '\\';
    out += static_cast<char>('0' + ((byte >> 6) & 7));
    out += static_cast<char>('0' + ((byte >> 3) & 7));
    out += static_cast<char>('0' + (byte & 7));
    return;
  }
  if (byte == '(' || byte == ')' || byte == '\\')
    out += '\\';
  out += static_cast<char>(byte);
}

// Decodes the code points of well-formed UTF-8 (no overlongs, surrogates or
// values above U+10FFFF); nothing for anything else.
std::optional<std::vector<char32_t>> DecodeUtf8(std::string_view text) {
  std::vector<char32_t> points;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    char32_t point = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
      length = 1;
      point = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
      point = lead & 0x1F;
      minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
      point = lead & 0x0F;
      minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
      point = lead & 0x07;
      minimum = 0x10000;
    } else {
      return std::nullopt;
    }
    if (length > text.size() - i)
      return std::nullopt;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80)
        return std::nullopt;
      point = (point << 6) | (next & 0x3F);
    }
    if (point < minimum || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
      return std::nullopt;
    points.push_back(point);
    i += length;
  }
  return points;
}

std::string Utf16BeWithMark(const std::vector<char32_t>& points, std::size_t maxCharacters) {
  std::string bytes = "\xFE\xFF";
  const std::size_t count = std::min(points.size(), maxCharacters);
  auto put = [&bytes](char32_t unit) {
    bytes += static_cast<char>((unit >> 8) & 0xFF);
    bytes += static_cast<char>(unit & 0xFF);
  };
  for (std::size_t i = 0; i < count; ++i) {
    const char32_t point = points[i];
    if (point < 0x10000) {
      put(point);
      continue;
    }
    const char32_t offset = point - 0x10000;
    put(0xD800 + (offset >> 10));
    put(0xDC00 + (offset & 0x3FF));
  }
  return bytes;
}

std::string TwoDigits(int value) {
  std::string digits = Decimal(static_cast<std::uint64_t>(value < 0 ? 0 : value));
  return digits.size() < 2 ? "0" + digits : digits;
}

} // namespace

std::string PdfStringLiteral(std::string_view bytes) {
  std::string out = "(";
  out.reserve(bytes.size() + 2);
  for (char byte : bytes)
    AppendEscapedByte(out, static_cast<unsigned char>(byte));
  out += ')';
  return out;
}

bool IsUtf8WithNonAscii(std::string_view text) {
  bool nonAscii = false;
  for (char c : text)
    nonAscii = nonAscii || static_cast<unsigned char>(c) >= 0x80;
  return nonAscii && DecodeUtf8(text).has_value();
}

std::string DocumentTextLiteral(std::string_view text) {
  if (IsUtf8WithNonAscii(text))
    return PdfStringLiteral(Utf16BeWithMark(*DecodeUtf8(text), kMaxDocumentTextCharacters));
  return PdfStringLiteral(text.substr(0, kMaxDocumentTextCharacters));
}

std::string PdfDateText(const char* tiffDateTime) {
  if (tiffDateTime != nullptr && std::strlen(tiffDateTime) >= 19) {
    const std::string_view d(tiffDateTime);
    std::string text = "D:";
    text.append(d.substr(0, 4));
    for (std::size_t start : {5u, 8u, 11u, 14u, 17u})
      text.append(d.substr(start, 2));
    return text;
  }
  // Conversions run one at a time, so the shared result of localtime is safe.
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  if (local == nullptr)
    return "D:19700101000000";
  std::string year = Decimal(static_cast<std::uint64_t>(local->tm_year + 1900));
  while (year.size() < 4)
    year.insert(0, 1, '0');
  return "D:" + year + TwoDigits(local->tm_mon + 1) + TwoDigits(local->tm_mday) +
         TwoDigits(local->tm_hour) + TwoDigits(local->tm_min) + TwoDigits(local->tm_sec);
}

} // namespace pdf
