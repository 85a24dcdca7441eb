// The raw-fax parameters and work-file paths every document conversion
// starts from. The process keeps one record; each engine gets a copy.
#pragma once

#include <cstdint>
#include <string>

struct ConversionSettings {
  std::uint16_t pageCount = 0;          // filled by the engine with the document's page count
  std::string rawImagePath;             // raw-fax page-image work file
  std::string rawSegmentPath;           // raw-fax line-segment work file
  std::string engineTiffPath;           // the engine's intermediate TIFF
  std::uint16_t Threshold = 50;         // consecutive same-width lines that accept a coding
  std::uint8_t FlagNum = 3;             // Group 4 start marker: FlagNum - 1 bytes of 0xFF
  std::uint8_t AutoBit = 0;             // 0 automatic, 1 highest bit first, 2 least bit first
  std::uint16_t verticalResolution = 0; // 0 automatic, else 100, 200, 300 or 400
  std::uint8_t NStdWidth = 1;           // 1 = also accept a non-standard width above MinWidth
  std::int16_t MinWidth = 1728;
  std::uint8_t tiffOutputMode = 0; // 1 = one TIFF per page where the format supports it
  std::uint8_t RawFlag = 0;        // 1 = Group 4 data starts at the first byte
  std::uint8_t Recaculate = 0;     // 1 = recount the scan lines of pages when writing
};
