#include "faxengine/FormatFileReader.h"

int FormatFileReader::Identify(const std::string& path, ConversionSettings& settings,
                               bool& recognised) {
  ClearPageOffsets();
  Open(path);
  if (!IsOpen())
    return -1;
  if (Detect() != 0) {
    FaxReader::Close();
    return 0;
  }
  settings.pageCount = CountPages();
  // The engine judges the document by its first page in the end; a file of
  // this format without pages is no fax.
  recognised = settings.pageCount != 0;
  return 0;
}

void FormatFileReader::RecordHeaderChain(std::size_t headerSize, const HeaderTest& isHeader,
                                         const NextHeader& nextHeader) {
  const ByteReader file(Bytes());
  std::uint64_t offset = 0;
  while (isHeader(file, offset) && AddPageOffset(std::uint32_t(offset)) == 0 &&
         file.contains(offset, headerSize)) {
    const std::uint64_t next = nextHeader(file, offset);
    if (next <= offset)
      break;
    offset = next;
  }
}

int FormatFileReader::WriteTiff(const std::string& outputPath, const ConversionSettings& settings,
                                const PageRaster&) {
  if (!IsOpen())
    return -1;
  return WritePages(outputPath, settings);
}
