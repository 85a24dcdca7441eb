#include "samples/writers/PcResearchFile.h"

#include "samples/writers/ByteWriter.h"

std::vector<std::uint8_t> PcResearchFile(const std::vector<std::vector<std::uint8_t>>& pages) {
  ByteWriter file;
  for (const std::vector<std::uint8_t>& page : pages) {
    const std::size_t header = file.size();
    file.u8(0);
    file.text("PC Research, Inc", 16);
    file.padTo(header + kPcResearchPageHeaderSize);
    file.append(page);
  }
  return file.bytes();
}
