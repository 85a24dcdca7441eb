#include "samples/writers/Apf10File.h"

#include "samples/writers/ByteWriter.h"

std::vector<std::uint8_t> Apf10File(const std::vector<Apf10Page>& pages) {
  constexpr std::uint32_t kFirstPage = 64;
  ByteWriter file;
  file.text("APF10", 32);
  file.u16le(static_cast<std::uint16_t>(pages.size()));
  file.u32le(kFirstPage);
  file.padTo(kFirstPage);
  for (const Apf10Page& page : pages) {
    file.u32le(static_cast<std::uint32_t>(page.data.size()));
    file.u8(page.flags);
    file.padTo(file.size() + 11);
    file.append(page.data);
  }
  return file.bytes();
}

std::vector<std::uint8_t> Apf10LineWordData(const std::vector<std::vector<std::uint8_t>>& lines) {
  ByteWriter data;
  for (const std::vector<std::uint8_t>& line : lines) {
    data.u16le(static_cast<std::uint16_t>(line.size()));
    data.append(line);
  }
  return data.bytes();
}
