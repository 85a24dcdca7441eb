#include "faxengine/FaxFormat.h"

#include "faxengine/Apf10Reader.h"
#include "faxengine/BitFaxReader.h"
#include "faxengine/BmpReader.h"
#include "faxengine/CalsReader.h"
#include "faxengine/DcxReader.h"
#include "faxengine/FaxFormatReader.h"
#include "faxengine/Ig4Reader.h"
#include "faxengine/KvrFaxReader.h"
#include "faxengine/PageRecordsReader.h"
#include "faxengine/PcResearchReader.h"
#include "faxengine/QliifaxReader.h"
#include "faxengine/RawFaxReader.h"
#include "faxengine/SingleGroup4Reader.h"
#include "faxengine/TiffArchiveReader.h"
#include "faxengine/TiffDocument.h"
#include "platform/FileSystem.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace {

template <typename Reader> std::unique_ptr<FaxFormatReader> Make() {
  return std::make_unique<Reader>();
}

// A "g3f" file is a TIFF-like fax when its header has the shape of a
// little-endian TIFF (bytes 2 and 3 are 0x2A 0x00, whatever the mark, so fax
// programs' "FF" files pass) or is a big-endian "MM" TIFF header; a PC
// Research fax when "PC Research, Inc" stands at offset 1; else a bare stream.
FaxFormat G3fFormatByContent(const std::string& path) {
  // Only regular files are opened: a FIFO would block the walk.
  if (!platform::IsRegularFile(path))
    return FaxFormat::Raw;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file)
    return FaxFormat::Raw;
  std::array<unsigned char, 18> head{};
  std::fread(head.data(), 1, head.size(), file);
  std::fclose(file);
  const bool littleEndianTiff = head[2] == 0x2A && head[3] == 0;
  const bool bigEndianTiff = head[0] == 'M' && head[1] == 'M' && head[2] == 0 && head[3] == 0x2A;
  if (littleEndianTiff || bigEndianTiff)
    return FaxFormat::TiffLike;
  if (std::memcmp(head.data() + 1, "PC Research, Inc", 16) == 0)
    return FaxFormat::PcResearch;
  return FaxFormat::Raw;
}

constexpr std::string_view kTiff[] = {"tif", "tiff"};
constexpr std::string_view kFmf[] = {"fmf"};
constexpr std::string_view kPageRecords[] = {"fxd", "fxm", "fxr", "fxs"};
constexpr std::string_view kAwd[] = {"awd"};
constexpr std::string_view kApf[] = {"apf"};
constexpr std::string_view kBitFax[] = {"bfx"};
constexpr std::string_view kDcx[] = {"dcx"};
constexpr std::string_view kBmp[] = {"bmp"};
constexpr std::string_view kCals[] = {"cal", "cg4", "gp4", "img", "mil", "oda", "ras", "cals"};
constexpr std::string_view kIg4[] = {"ig4"};
constexpr std::string_view kQliifax[] = {"qfx"};
constexpr std::string_view kG3n[] = {"g3n"};
constexpr std::string_view kG3f[] = {"g3f"};
constexpr std::string_view kTiffArchive[] = {"ds"};
constexpr std::string_view kSingleGroup4[] = {"ed"};
constexpr std::string_view kKvrFax[] = {"kvr"};
constexpr std::string_view kExcluded[] = {"sys", "dll", "bat", "lnk", "txt", "zip", "rar", "db"};

// Tested in this order; the first entry with a pattern that begins the
// extension decides.
const FaxFormatEntry kFormats[] = {
    {FaxFormat::OrdinaryTiff, "TIFF", kTiff, nullptr, nullptr},
    {FaxFormat::Fmf, "FMF", kFmf, nullptr, &Make<TiffDocument>},
    {FaxFormat::PageRecords, "page records", kPageRecords, nullptr, &Make<PageRecordsReader>},
    {FaxFormat::Awd, "AWD", kAwd, nullptr, &Make<AwdDocument>},
    {FaxFormat::Apf10, "APF10", kApf, nullptr, &Make<Apf10Reader>},
    {FaxFormat::BitFax, "BIT FAX", kBitFax, nullptr, &Make<BitFaxReader>},
    {FaxFormat::Dcx, "DCX", kDcx, nullptr, &Make<DcxReader>},
    {FaxFormat::Bmp, "BMP", kBmp, nullptr, &Make<BmpReader>},
    {FaxFormat::Cals, "CALS", kCals, nullptr, &Make<CalsReader>},
    {FaxFormat::Ig4, "IG4", kIg4, nullptr, &Make<Ig4Reader>},
    {FaxFormat::Qliifax, "QLIIFAX", kQliifax, nullptr, &Make<QliifaxReader>},
    {FaxFormat::TiffLike, "TIFF-like fax", kG3n, nullptr, &Make<TiffDocument>},
    {FaxFormat::TiffLike, "TIFF-like fax", kG3f, &G3fFormatByContent, &Make<TiffDocument>},
    // No extension of its own: "g3f" files reach it through their content.
    {FaxFormat::PcResearch, "PC Research", {}, nullptr, &Make<PcResearchReader>},
    {FaxFormat::TiffArchive, "TIFF archive", kTiffArchive, nullptr, &Make<TiffArchiveReader>},
    {FaxFormat::SingleGroup4, "single Group 4 page", kSingleGroup4, nullptr,
     &Make<SingleGroup4Reader>},
    {FaxFormat::KvrFax, "KVR-FAX", kKvrFax, nullptr, &Make<KvrFaxReader>},
    {FaxFormat::Excluded, "excluded", kExcluded, nullptr, nullptr},
};

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool BeginsWithIgnoringCase(std::string_view text, std::string_view pattern) {
  if (text.size() < pattern.size())
    return false;
  for (size_t i = 0; i < pattern.size(); ++i)
    if (LowerAscii(text[i]) != pattern[i])
      return false;
  return true;
}

// The text after the last dot anywhere in the path; without any dot, the
// path's last two characters (the whole path when shorter).
std::string_view ExtensionOf(std::string_view path) {
  auto dot = path.rfind('.');
  if (dot != std::string_view::npos)
    return path.substr(dot + 1);
  return path.size() <= 2 ? path : path.substr(path.size() - 2);
}

const FaxFormatEntry* EntryOf(FaxFormat format) {
  for (const FaxFormatEntry& entry : kFormats)
    if (entry.format == format)
      return &entry;
  return nullptr;
}

} // namespace

std::span<const FaxFormatEntry> FaxFormats() { return kFormats; }

FaxFormat IdentifyFormat(const std::string& path) {
  std::string_view extension = ExtensionOf(path);
  for (const FaxFormatEntry& entry : kFormats)
    for (std::string_view pattern : entry.extensions)
      if (BeginsWithIgnoringCase(extension, pattern))
        return entry.byContent ? entry.byContent(path) : entry.format;
  return FaxFormat::Raw;
}

std::unique_ptr<FaxFormatReader> MakeFormatReader(FaxFormat format) {
  if (format == FaxFormat::Raw || format == FaxFormat::Excluded)
    return std::make_unique<RawFaxDocument>();
  const FaxFormatEntry* entry = EntryOf(format);
  return entry && entry->makeReader ? entry->makeReader() : nullptr;
}
