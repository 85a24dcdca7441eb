#include "faxengine/TiffFaxReader.h"

#include <unordered_set>

namespace {

// TIFF 6.0 tags and field types the reader uses.
enum Tag : std::uint16_t {
  kImageWidth = 256,
  kImageLength = 257,
  kBitsPerSample = 258,
  kCompression = 259,
  kPhotometric = 262,
  kFillOrder = 266,
  kStripOffsets = 273,
  kOrientation = 274,
  kRowsPerStrip = 278,
  kStripByteCounts = 279,
  kXResolution = 282,
  kYResolution = 283,
  kT4Options = 292,
  kT6Options = 293,
  kResolutionUnit = 296,
  kPageNumber = 297,
};
enum FieldType : std::uint16_t { kByte = 1, kShort = 3, kLong = 4 };

constexpr std::uint16_t kMarkLittle = 0x4949; // "II"
constexpr std::uint16_t kMarkBig = 0x4D4D;    // "MM"
constexpr std::uint16_t kMarkFax = 0x4646;    // "FF", written by some fax programs, little-endian
constexpr std::size_t kEntryBytes = 12;

std::size_t FieldSize(std::uint16_t type) {
  switch (type) {
  case kByte:
    return 1;
  case kShort:
    return 2;
  case kLong:
    return 4;
  default:
    return 0;
  }
}

} // namespace

int TiffFaxReader::Detect() {
  if (!IsOpen())
    return -1;
  ByteReader reader(Bytes());
  auto mark = reader.u16le();
  if (!mark || !reader.contains(0, 8)) {
    Close();
    return -3;
  }
  order_ = *mark == kMarkBig ? ByteOrder::BigEndian : ByteOrder::LittleEndian;
  reader.setOrder(order_);
  auto magic = reader.u16();
  bool knownMark = *mark == kMarkLittle || *mark == kMarkBig || *mark == kMarkFax;
  if (!knownMark || magic != 42) {
    Close();
    return -4;
  }
  firstDirectory_ = *reader.u32();
  nextDirectory_ = firstDirectory_;
  previousDirectory_ = 0;
  return 0;
}

std::uint16_t TiffFaxReader::CountPages() {
  ClearPageOffsets();
  tooManyPages_ = false;
  std::unordered_set<std::uint32_t> seen;
  ByteReader reader = Reader();
  std::uint32_t offset = firstDirectory_;
  while (offset != 0 && seen.insert(offset).second) {
    auto count = reader.u16At(offset);
    if (!count)
      break;
    std::size_t nextField = std::size_t(offset) + 2 + kEntryBytes * *count;
    auto next = reader.u32At(nextField);
    if (!next)
      break;
    if (AddPageOffset(offset) != 0) {
      tooManyPages_ = true;
      break;
    }
    offset = *next;
  }
  return PageCount();
}

int TiffFaxReader::ReadDirectory(std::uint32_t offset) {
  if (offset == 0)
    return -1;
  ByteReader reader = Reader();
  if (!reader.seek(offset))
    return -2;
  auto count = reader.u16();
  if (!count)
    return -2;
  if (!reader.contains(reader.position(), kEntryBytes * *count))
    return -4;
  entries_.assign(*count, TiffEntry{});
  for (TiffEntry& entry : entries_) {
    entry.tag = *reader.u16();
    entry.type = *reader.u16();
    entry.count = *reader.u32();
    auto value = *reader.take(4);
    std::copy(value.begin(), value.end(), entry.value.begin());
  }
  auto next = reader.u32();
  if (!next)
    return -5;
  previousDirectory_ = nextDirectory_;
  nextDirectory_ = *next;
  return *count == 0 ? -4 : static_cast<int>(*count);
}

std::optional<std::uint32_t> TiffFaxReader::Scalar(const TiffEntry& entry) const {
  ByteReader field(entry.value, order_);
  switch (entry.type) {
  case kByte:
    return field.u8();
  case kShort:
    return field.u16();
  case kLong:
    return field.u32();
  default:
    return std::nullopt;
  }
}

std::optional<std::vector<std::uint32_t>> TiffFaxReader::Values(const TiffEntry& entry) const {
  std::size_t size = FieldSize(entry.type);
  // The count is checked against the file before it sizes anything.
  if (size == 0 || entry.count > FileSize() / size + 1)
    return std::nullopt;
  std::size_t total = size * entry.count;
  ByteReader field(entry.value, order_);
  ByteReader reader = Reader();
  if (total > 4) {
    if (!reader.seek(*field.u32()) || reader.remaining() < total)
      return std::nullopt;
  } else {
    reader = field;
  }
  std::vector<std::uint32_t> values(entry.count);
  for (std::uint32_t& value : values)
    value = size == 1 ? *reader.u8() : size == 2 ? *reader.u16() : *reader.u32();
  return values;
}

TiffRational TiffFaxReader::Rational(const TiffEntry& entry) const {
  ByteReader field(entry.value, order_);
  ByteReader reader = Reader();
  if (!reader.seek(*field.u32()))
    return {};
  auto numerator = reader.u32();
  auto denominator = reader.u32();
  if (!numerator || !denominator)
    return {};
  return {*numerator, *denominator};
}

TiffPage TiffFaxReader::ParseDirectory() const {
  TiffPage page;
  auto assign = [&](auto& field, const TiffEntry& entry) {
    if (auto value = Scalar(entry))
      field = static_cast<std::remove_reference_t<decltype(field)>>(*value);
  };
  for (const TiffEntry& entry : entries_) {
    switch (entry.tag) {
    case kImageWidth:
      assign(page.width, entry);
      break;
    case kImageLength:
      assign(page.length, entry);
      break;
    case kBitsPerSample:
      assign(page.bitsPerSample, entry);
      break;
    case kCompression:
      assign(page.compression, entry);
      break;
    case kPhotometric:
      assign(page.photometric, entry);
      break;
    case kFillOrder:
      assign(page.fillOrder, entry);
      break;
    case kOrientation:
      assign(page.orientation, entry);
      break;
    case kRowsPerStrip:
      assign(page.rowsPerStrip, entry);
      break;
    case kT4Options:
      assign(page.t4Options, entry);
      break;
    case kT6Options:
      assign(page.t6Options, entry);
      break;
    case kResolutionUnit:
      assign(page.resolutionUnit, entry);
      break;
    case kStripOffsets:
      page.stripOffsets = entry;
      break;
    case kStripByteCounts:
      page.stripByteCounts = entry;
      break;
    case kXResolution:
      page.xResolution = Rational(entry);
      break;
    case kYResolution:
      page.yResolution = Rational(entry);
      break;
    case kPageNumber: {
      ByteReader field(entry.value, order_);
      page.pageNumber = {*field.u16(), *field.u16()};
      break;
    }
    default:
      break;
    }
  }
  return page;
}

std::optional<std::vector<TiffStrip>> TiffFaxReader::StripsOf(const TiffPage& page) const {
  if (!page.stripOffsets || !page.stripByteCounts || page.stripOffsets->count != page.stripByteCounts->count ||
      page.stripOffsets->count == 0)
    return std::nullopt;
  auto offsets = Values(*page.stripOffsets);
  auto lengths = Values(*page.stripByteCounts);
  if (!offsets || !lengths)
    return std::nullopt;
  std::vector<TiffStrip> strips(offsets->size());
  ByteReader reader = Reader();
  for (std::size_t i = 0; i < strips.size(); ++i) {
    strips[i] = {(*offsets)[i], (*lengths)[i]};
    if (strips[i].length == 0 || !reader.contains(strips[i].offset, strips[i].length))
      return std::nullopt;
  }
  return strips;
}
