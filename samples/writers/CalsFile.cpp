#include "samples/writers/CalsFile.h"

#include "samples/writers/ByteWriter.h"

#include <cstdio>

namespace {

constexpr std::size_t kRecordBytes = 128;
constexpr std::size_t kHeaderRecords = 16;

std::string Padded(std::uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*u", digits, value);
  return text;
}

} // namespace

std::vector<std::string> CalsRecords(std::uint32_t width, std::uint32_t lines,
                                     std::uint32_t density) {
  return {"srcdocid: NONE",
          "dstdocid: NONE",
          "txtfilid: NONE",
          "figid: NONE",
          "srcgph: NONE",
          "doccls: NONE",
          "rtype: 1",
          "rorient: 000,270",
          "rpelcnt: " + Padded(width, 6) + "," + Padded(lines, 6),
          "rdensty: " + Padded(density, 4),
          "notes: NONE"};
}

std::vector<std::uint8_t> CalsFile(const std::vector<std::string>& records,
                                   std::span<const std::uint8_t> codedPage) {
  ByteWriter file;
  for (std::size_t i = 0; i < kHeaderRecords; ++i) {
    std::string record = i < records.size() ? records[i] : std::string();
    record.resize(kRecordBytes, ' ');
    file.text(record, kRecordBytes);
  }
  file.append(codedPage);
  return file.bytes();
}
