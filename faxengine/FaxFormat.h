// The fax formats this program reads, in one table: the extensions that
// select each, and the reader that opens it. Identification and the engine's
// dispatch both read the table, so a format is declared once.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

class FaxFormatReader;

// The numbers are the ones the result log and stored settings show; 2 and 15
// are reserved and never assigned.
enum class FaxFormat : int {
  Excluded = -2, // never a fax: folder walks leave it out
  Raw = 0,       // no recognised format: a bare Group 3/Group 4 stream
  Apf10 = 1,
  Awd = 3,
  BitFax = 4,
  Bmp = 5,
  Cals = 6,
  Dcx = 7,
  TiffArchive = 8,
  SingleGroup4 = 9,
  Fmf = 10,
  PageRecords = 11,
  PcResearch = 12,
  Ig4 = 13,
  Qliifax = 14,
  OrdinaryTiff = 16, // converted without the engine
  TiffLike = 17,     // "g3n", and "g3f" files shaped like a TIFF
  KvrFax = 18,
};

struct FaxFormatEntry {
  FaxFormat format;
  std::string_view name;
  // Extension patterns: an extension that begins with one selects the format
  // ("tif" takes "tiff" and "tifx", "ds" takes "ds1"), compared without case.
  std::span<const std::string_view> extensions;
  // Decides from the first bytes instead of the extension alone ("g3f").
  FaxFormat (*byContent)(const std::string& path);
  // The engine's reader of the format; null for formats the engine never
  // reads (ordinary TIFF, excluded names).
  std::unique_ptr<FaxFormatReader> (*makeReader)();
};

// Every format, in the order identification tests their extensions (a
// format that another's content test selects may have none).
std::span<const FaxFormatEntry> FaxFormats();

// The format a file is to be read as, decided from its path (and, for
// "g3f", its first bytes): the first entry of the table with a pattern that
// begins the extension, else Raw.
FaxFormat IdentifyFormat(const std::string& path);

// The reader of a format: the bare-stream reader for Raw and Excluded (a
// file named directly is read like any other), null for a format the engine
// never reads (an ordinary TIFF).
std::unique_ptr<FaxFormatReader> MakeFormatReader(FaxFormat format);
