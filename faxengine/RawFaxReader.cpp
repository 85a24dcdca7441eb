#include "faxengine/RawFaxReader.h"

#include "faxengine/FaxTiffWriter.h"
#include "faxformats/FaxStreamDetector.h"
#include "faxformats/FaxStreamFiles.h"
#include "faxformats/StdioFile.h"

#include <algorithm>
#include <array>

namespace {

// Results of WriteTiff beyond those of the work files.
constexpr int kOutputFailed = -5;  // the TIFF could not be written in full
constexpr int kStreamNotKept = -6; // part of the stream did not reach the TIFF

// T.6 pages are written from decoded rows, which may be cut anywhere; coded
// T.4 bytes only at segment boundaries.
LongSegments LongSegmentsFor(std::uint8_t coding) {
  return coding == kCodingT6 ? LongSegments::Split : LongSegments::OwnPage;
}

bool CreateEmpty(const std::string& path) { return static_cast<bool>(OpenStdioFile(path, "wb")); }

// Keeps the bits of a byte from bit offset `from` on (in the order the bit
// reader consumes them) or, for the last byte, those before `to`.
std::uint8_t KeepFrom(std::uint8_t from, std::uint8_t bitOrder) {
  if (from >= 8)
    return 0;
  return static_cast<std::uint8_t>(bitOrder == kMsbFirst ? 0xFF >> from : 0xFF << from);
}
std::uint8_t KeepBefore(std::uint8_t to, std::uint8_t bitOrder) {
  return static_cast<std::uint8_t>(~KeepFrom(to, bitOrder));
}

bool InsideStream(const SegmentRecord& record, std::size_t streamSize) {
  return record.startBit <= 8 && record.endBit <= 8 && record.endByte < streamSize;
}

// Appends the coded bytes of one segment, with the bits in front of its
// first EOL and behind its end cleared, which leaves them as T.4 fill bits.
// False when the record does not lie inside the stream.
bool AppendSegment(std::span<const std::uint8_t> stream, const SegmentRecord& record,
                   std::uint8_t bitOrder, std::vector<std::uint8_t>& page) {
  if (!InsideStream(record, stream.size()))
    return false;
  if (record.endByte < record.startByte)
    return true;
  std::size_t first = page.size();
  page.insert(page.end(), stream.begin() + record.startByte, stream.begin() + record.endByte + 1);
  page[first] &= KeepFrom(record.startBit, bitOrder);
  page.back() &= KeepBefore(record.endBit, bitOrder);
  return true;
}

// A segment of the page holds lines received in error.
bool HoldsDamage(SegmentIndexReader& index, const SegmentPage& page) {
  for (std::uint32_t i = 0; i < page.recordCount; ++i) {
    auto record = index.Record(page.firstRecord + i);
    if (record && record->holdsDamage)
      return true;
  }
  return false;
}

} // namespace

void RawFaxReader::SetParameters(const ConversionSettings& settings) {
  imagePath_ = settings.rawImagePath;
  segmentPath_ = settings.rawSegmentPath;
  threshold_ = settings.Threshold;
  flagNum_ = settings.FlagNum;
  minWidth_ = settings.MinWidth;
  rawFlag_ = settings.RawFlag;
  totalLines_ = 0;
  linesPerPage_ = 0;
  truncated_ = false;
}

int RawFaxReader::Analyse(std::uint8_t autoBit, std::uint8_t nonStandardWidth) {
  if (Bytes().empty()) {
    Close();
    return -1;
  }
  truncated_ = false;
  const bool nonStandard = nonStandardWidth != 0;
  // Least significant bit first is tried first: it is what fax modems store.
  std::vector<std::uint8_t> bitOrders = {kLsbFirst, kMsbFirst};
  if (autoBit == 1 || autoBit == 2)
    bitOrders = {autoBit == 1 ? kMsbFirst : kLsbFirst};
  for (std::uint8_t bitOrder : bitOrders) {
    if (int result = TryGroup3(bitOrder, nonStandard); result != -1)
      return result;
  }
  return TryGroup4(bitOrders, nonStandard);
}

int RawFaxReader::TryGroup3(std::uint8_t bitOrder, bool nonStandardWidth) {
  if (!CreateEmpty(imagePath_) || !CreateEmpty(segmentPath_))
    return kWorkFilesUnwritable;
  auto bytes = Bytes();
  FaxDecoder decoder;
  decoder.Initialise(bytes.data(), static_cast<std::uint32_t>(bytes.size()), bitOrder, 5, 0);
  struct Trial {
    std::uint8_t coding;
    bool lenient;
  };
  static constexpr Trial kTrials[] = {{5, false}, {5, true}, {6, false}, {6, true}};
  for (const Trial& trial : kTrials) {
    if (trial.lenient && !nonStandardWidth)
      continue;
    const int detected =
        trial.coding == 5
            ? (trial.lenient ? DetectLenient1D(decoder, bitOrder, threshold_, minWidth_)
                             : DetectStrict1D(decoder, bitOrder, threshold_))
            : (trial.lenient ? DetectLenient2D(decoder, bitOrder, threshold_, minWidth_)
                             : DetectStrict2D(decoder, bitOrder, threshold_));
    if (detected != 0)
      continue;
    decoder.SetCodingCode(trial.coding);
    // Group 3 pages are written from the coded bytes: rows past the raster
    // bound lose nothing.
    StreamFileResult result =
        DecodeStreamIntoFiles(decoder, StreamFileTargets{imagePath_, segmentPath_});
    if (result.status == -1)
      return kWorkFilesUnwritable;
    if (DecodedCoverage().Consistent()) {
      truncated_ = result.linesLost;
      return 0;
    }
  }
  return -1;
}

int RawFaxReader::TryGroup4(const std::vector<std::uint8_t>& bitOrders, bool nonStandardWidth) {
  // T.6 data decodes without error far more often than Group 3 data, so
  // the first trial that finds its run of lines is not taken at once: a
  // later one that decodes the whole stream wins (see Group4Choice).
  Group4Search search;
  for (std::uint8_t bitOrder : bitOrders) {
    for (std::int32_t width : MarkedGroup4Widths(bitOrder, nonStandardWidth)) {
      if (int result = TryGroup4Trial({bitOrder, width, false}, search); result < -1)
        return result;
    }
  }
  // Then T.6 from the first byte, as CCITT images taken out of other
  // documents are stored: no start marker, often no standard width.
  for (std::uint8_t bitOrder : bitOrders) {
    for (std::int32_t width : BareGroup4Widths(bitOrder, nonStandardWidth)) {
      if (int result = TryGroup4Trial({bitOrder, width, true}, search); result < -1)
        return result;
    }
  }
  if (!search.best)
    return -1;
  if (search.lastDecoded == search.best->trial)
    return 0;
  return DecodeGroup4(search.best->trial);
}

std::vector<std::int32_t> RawFaxReader::MarkedGroup4Widths(std::uint8_t bitOrder,
                                                           bool nonStandardWidth) const {
  auto bytes = Bytes();
  FaxG4Decoder decoder;
  decoder.Initialise(bytes.data(), static_cast<std::uint32_t>(bytes.size()), bitOrder, 7, 0);
  decoder.SetStartMarkerCount(flagNum_);
  // Without any start marker no width can succeed: one search says so for
  // all of them.
  if (!rawFlag_ && decoder.FindG4Start(0) < 0)
    return {};
  std::vector<std::int32_t> widths;
  if (nonStandardWidth && minWidth_ > 0)
    widths.push_back(minWidth_);
  widths.insert(widths.end(), std::begin(kGroup4TrialWidths), std::end(kGroup4TrialWidths));
  return widths;
}

std::vector<std::int32_t> RawFaxReader::BareGroup4Widths(std::uint8_t bitOrder,
                                                         bool nonStandardWidth) const {
  auto bytes = Bytes();
  FaxG4Decoder decoder;
  decoder.Initialise(bytes.data(), static_cast<std::uint32_t>(bytes.size()), bitOrder, 7, 0);
  std::vector<std::int32_t> proven = Group4WidthCandidates(decoder, bitOrder);
  std::vector<std::int32_t> widths(std::begin(kGroup4TrialWidths), std::end(kGroup4TrialWidths));
  // The stream's own proof stands in for the lower bound of non-standard
  // widths: CCITT images of other documents are often narrower than a fax.
  for (std::int32_t width : proven) {
    if (nonStandardWidth && std::find(widths.begin(), widths.end(), width) == widths.end())
      widths.push_back(width);
  }
  return widths;
}

int RawFaxReader::TryGroup4Trial(const Group4Trial& trial, Group4Search& search) {
  // Each accepted trial decodes the whole stream: a hostile stream that many
  // widths accept must not multiply that without bound.
  if (search.decodings >= kMaxGroup4Decodings)
    return -1;
  int result = DecodeGroup4(trial);
  if (result != 0)
    return result;
  ++search.decodings;
  search.lastDecoded = trial;
  Coverage coverage = DecodedCoverage();
  // Read from the first byte, nothing vouches for the data but its
  // decoding: it must decode whole.
  bool consistent = trial.fromFirstByte ? coverage.Complete() : coverage.Consistent();
  Group4Choice choice{trial, coverage};
  if (consistent && (!search.best || choice.BetterThan(*search.best)))
    search.best = choice;
  return 0;
}

int RawFaxReader::DecodeGroup4(const Group4Trial& trial) {
  auto bytes = Bytes();
  FaxG4Decoder decoder;
  decoder.Initialise(bytes.data(), static_cast<std::uint32_t>(bytes.size()), trial.bitOrder, 7, 0);
  decoder.SetStartMarkerCount(flagNum_);
  decoder.SetSkipStartSearch(rawFlag_ != 0);
  int detected = trial.fromFirstByte
                     ? DetectGroup4AtFirstByte(decoder, trial.bitOrder, trial.width, threshold_)
                     : DetectGroup4(decoder, trial.bitOrder, trial.width, threshold_);
  if (detected != 0)
    return -1;
  StreamFileResult result =
      DecodeStreamIntoFiles(decoder, StreamFileTargets{imagePath_, segmentPath_});
  if (result.status == -1)
    return kWorkFilesUnwritable;
  truncated_ = result.rowsTruncated || result.linesLost;
  return 0;
}

RawFaxReader::Coverage RawFaxReader::DecodedCoverage() const {
  Coverage coverage;
  SegmentIndexReader index;
  if (!index.Open(segmentPath_, SegmentIndexReader::Access::Read))
    return coverage;
  const bool markedPages = index.header().coding == kCodingT6;
  std::optional<std::uint64_t> firstBit;
  std::uint64_t previousEnd = 0;
  for (std::uint32_t i = 0; i < index.recordCount(); ++i) {
    auto record = index.Record(i);
    if (!record || !InsideStream(*record, Bytes().size()))
      continue;
    const std::uint64_t start = std::uint64_t{record->startByte} * 8 + record->startBit;
    const std::uint64_t end = std::uint64_t{record->endByte} * 8 + record->endBit;
    const std::uint64_t covered = std::max(markedPages ? MarkersBefore(start) : start, previousEnd);
    if (!firstBit)
      firstBit = covered;
    if (end > covered) {
      coverage.goodBits += end - covered;
      previousEnd = end;
    }
  }
  coverage.streamBits = std::uint64_t{Bytes().size()} * 8;
  coverage.spanBits =
      coverage.streamBits - std::min(firstBit.value_or(coverage.streamBits), coverage.streamBits);
  return coverage;
}

std::uint64_t RawFaxReader::MarkersBefore(std::uint64_t bit) const {
  // The 0xFF start markers in front of T.6 pages belong to them, and so do
  // the 1 bits (white lines) that begin the byte the start search stops in.
  std::uint64_t byte = bit / 8;
  while (byte > 0 && Bytes()[byte - 1] == 0xFF)
    --byte;
  return byte * 8;
}

bool RawFaxReader::LoadRasterHeader(PageRaster& raster) const {
  StdioFile file = OpenStdioFile(imagePath_, "rb");
  std::array<std::uint8_t, PageRaster::kStoredSize> record{};
  if (!file || !ReadAt(file.get(), 0, record))
    return false;
  raster = PageRaster::FromStored(record);
  return true;
}

std::uint16_t RawFaxReader::CountPages() {
  if (totalLines_ == 0) {
    PageRaster record;
    if (LoadRasterHeader(record))
      totalLines_ = record.height;
  }
  if (linesPerPage_ == 0)
    return 0;
  // The pages WriteTiff will write: segments are never split between pages
  // (except decoded T.6 rows), so lines / page length can be too few.
  SegmentIndexReader index;
  if (index.Open(segmentPath_, SegmentIndexReader::Access::Update) && index.recordCount() > 0) {
    bool allKept = false;
    return static_cast<std::uint16_t>(CutIntoPages(index, linesPerPage_, kMaxPages,
                                                   LongSegmentsFor(index.header().coding), allKept)
                                          .size());
  }
  std::uint64_t pages = (std::uint64_t{totalLines_} + linesPerPage_ - 1) / linesPerPage_;
  return static_cast<std::uint16_t>(std::min<std::uint64_t>(pages, kMaxPages));
}

int RawFaxReader::DecodePage(std::uint16_t index, PageRaster& raster) {
  if (!IsOpen())
    return 0;
  StdioFile file = OpenStdioFile(imagePath_, "rb");
  if (!file)
    return -13;
  const std::uint16_t keptXResolution = raster.xResolution;
  std::array<std::uint8_t, PageRaster::kStoredSize> record{};
  raster.rows.clear();
  if (!ReadAt(file.get(), 0, record))
    return -11;
  raster = PageRaster::FromStored(record);
  const std::uint64_t firstLine = std::uint64_t{index} * linesPerPage_;
  const std::uint64_t recordHeight = raster.height;
  raster.height = static_cast<std::uint32_t>(std::min<std::uint64_t>(
      linesPerPage_, recordHeight > firstLine ? recordHeight - firstLine : 0));
  raster.xResolution = std::max<std::uint16_t>(keptXResolution, 200);
  static constexpr std::array<std::uint32_t, 4> kPageLengthsAt100To400 = {1144, 2288, 3432, 4576};
  for (std::size_t step = 0; step < kPageLengthsAt100To400.size(); ++step) {
    if (linesPerPage_ == kPageLengthsAt100To400[step])
      raster.yResolution = static_cast<std::uint16_t>(100 * (step + 1));
  }
  if (raster.width > kMaxStreamWidth || !raster.Allocate(raster.width, linesPerPage_)) {
    raster.rows.clear();
    return -12;
  }
  std::fill(raster.rows.begin(), raster.rows.end(), 0xFF);
  // A short last page keeps white (0xFF) rows below its lines.
  const std::uint64_t offset = PageRaster::kStoredSize + firstLine * raster.bytesPerRow;
  const std::uint64_t size = StdioFileSize(file.get());
  if (offset < size) {
    std::size_t available =
        static_cast<std::size_t>(std::min<std::uint64_t>(raster.rows.size(), size - offset));
    ReadAt(file.get(), offset, std::span(raster.rows.data(), available));
  }
  return 0;
}

int RawFaxReader::WriteTiff(const std::string& outputPath, const PageRaster& raster) {
  if (!IsOpen())
    return -1;
  SegmentIndexReader index;
  PageRaster record;
  if (!index.Open(segmentPath_, SegmentIndexReader::Access::Update) || index.recordCount() == 0 ||
      !LoadRasterHeader(record) || record.width != index.header().width || record.width < 1 ||
      record.width > kMaxStreamWidth)
    return -2;
  const SegmentHeader header = index.header();
  bool allKept = false;
  std::vector<SegmentPage> pages =
      CutIntoPages(index, linesPerPage_, kMaxPages, LongSegmentsFor(header.coding), allKept);
  if (pages.empty())
    return -3;
  FaxTiffWriter writer;
  if (writer.Open(outputPath, FaxTiffWriter::kLittleEndian, "wb") != 0)
    return kOutputFailed;
  writer.WriteHeader();
  writer.InitDirectory();
  // A page left without lines (only a corrupt segment file does that) is
  // no TIFF page: drop it before the pages are numbered.
  // T.6 pages, and T.4 pages with lines received in error, are written from
  // the decoded rows: the coded bytes alone would not give every line.
  auto fromRows = [&](const SegmentPage& page) {
    return header.coding == kCodingT6 || HoldsDamage(index, page);
  };
  std::erase_if(pages, [&](const SegmentPage& page) {
    bool empty = fromRows(page) ? page.lines == 0 : CodedLines(index, page) == 0;
    allKept = allKept && !empty;
    return empty;
  });
  const auto total = static_cast<std::uint16_t>(pages.size());
  std::vector<std::uint8_t> data;
  for (std::uint16_t i = 0; i < total; ++i) {
    const SegmentPage& page = pages[i];
    const bool rows = fromRows(page);
    std::uint32_t lines = page.lines;
    data.clear();
    bool complete = rows ? GatherRows(page, record.bytesPerRow, data)
                         : GatherCodedBytes(index, page, header.bitOrder, data, lines);
    allKept = allKept && complete;
    writer.SetCodingCode(rows ? std::uint8_t{kCodingUncompressed} : header.coding, 0);
    writer.SetFillOrder(rows ? kMsbFirst : header.bitOrder);
    writer.SetPageNumber(i, total);
    writer.SetSize(header.width, lines);
    std::uint32_t directory =
        writer.WritePageData(data.data(), static_cast<std::uint32_t>(data.size()),
                             raster.xResolution, raster.yResolution, 2);
    writer.WriteDirectory(directory);
  }
  if (writer.Close() != 0)
    return kOutputFailed;
  return allKept && !truncated_ ? 0 : kStreamNotKept;
}

std::uint32_t RawFaxReader::CodedLines(SegmentIndexReader& index, const SegmentPage& page) const {
  std::uint64_t lines = 0;
  for (std::uint32_t i = 0; i < page.recordCount; ++i) {
    auto record = index.Record(page.firstRecord + i);
    if (record && InsideStream(*record, Bytes().size()) && record->endByte >= record->startByte)
      lines += record->lines;
  }
  // A corrupt record may claim more lines than the page may hold.
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(lines, page.lines));
}

bool RawFaxReader::GatherCodedBytes(SegmentIndexReader& index, const SegmentPage& page,
                                    std::uint8_t bitOrder, std::vector<std::uint8_t>& data,
                                    std::uint32_t& lines) const {
  bool complete = true;
  for (std::uint32_t i = 0; i < page.recordCount; ++i) {
    auto record = index.Record(page.firstRecord + i);
    complete = record && AppendSegment(Bytes(), *record, bitOrder, data) && complete;
  }
  lines = CodedLines(index, page);
  return complete;
}

bool RawFaxReader::GatherRows(const SegmentPage& page, std::uint32_t bytesPerRow,
                              std::vector<std::uint8_t>& data) const {
  const std::uint64_t length = std::uint64_t{page.lines} * bytesPerRow;
  const std::uint64_t offset = PageRaster::kStoredSize + page.firstRow * bytesPerRow;
  data.assign(static_cast<std::size_t>(length), 0xFF);
  StdioFile file = OpenStdioFile(imagePath_, "rb");
  std::uint64_t size = file ? StdioFileSize(file.get()) : 0;
  bool complete = offset <= size && length <= size - offset && ReadAt(file.get(), offset, data);
  // Rows hold white as 1 bits; the page is written WhiteIsZero.
  for (std::uint8_t& byte : data)
    byte = static_cast<std::uint8_t>(~byte);
  return complete;
}

int RawFaxDocument::Identify(const std::string& path, ConversionSettings& settings,
                             bool& recognised) {
  analysed_ = false;
  reader_.Open(path);
  if (!reader_.IsOpen())
    return -1;
  reader_.SetParameters(settings);
  settings.pageCount = 0;
  recognised = false;
  const int analysed = reader_.Analyse(settings.AutoBit, settings.NStdWidth);
  if (analysed == RawFaxReader::kWorkFilesUnwritable)
    return kEngineWorkFileFailed;
  if (analysed < 0)
    return 0;
  // The analysis wrote the raster file just now: not reading it back is a
  // fault of the work folder, not a verdict on the document.
  PageRaster header;
  if (!reader_.LoadRasterHeader(header))
    return kEngineWorkFileFailed;
  if (settings.verticalResolution > 0)
    header.yResolution = settings.verticalResolution;
  reader_.SetLinesPerPage(LinesPerPage(header.sizeClass, header.yResolution));
  reader_.SetTotalLines(header.height);
  settings.pageCount = reader_.CountPages();
  xResolution_ = header.xResolution;
  analysed_ = true;
  recognised = true;
  return 0;
}

void RawFaxDocument::DecodePage(std::uint16_t index, PageRaster& raster,
                                const ConversionSettings& settings) {
  if (!analysed_)
    return;
  // The page keeps the horizontal resolution its width implies.
  raster.xResolution = xResolution_;
  if (reader_.DecodePage(index, raster) != 0) {
    raster = PageRaster();
    return;
  }
  // The chosen vertical resolution holds for every paper size, not only
  // for the A4 page lengths that imply it.
  if (settings.verticalResolution > 0)
    raster.yResolution = settings.verticalResolution;
}

int RawFaxDocument::WriteTiff(const std::string& outputPath, const ConversionSettings&,
                              const PageRaster& firstPage) {
  if (!reader_.IsOpen())
    return -1;
  return reader_.WriteTiff(outputPath, firstPage);
}
