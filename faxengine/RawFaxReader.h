// Reader of bare Group 3 / Group 4 streams with no container (files of no
// recognised format). Trial decoding finds the coding, bit order and width;
// the whole stream is then decoded into two work files, a raster file of
// good lines and a segment index of runs of good lines, from which pages are
// cut and written.
#pragma once

#include "faxengine/ConversionSettings.h"
#include "faxengine/FaxFormatReader.h"
#include "faxengine/FaxReader.h"
#include "faxformats/PageRaster.h"
#include "faxformats/SegmentIndex.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class RawFaxReader : public FaxReader {
public:
  // Takes the raw-fax parameters and work-file paths from the settings and
  // resets the line counts.
  void SetParameters(const ConversionSettings& settings);

  // Finds the coding and decodes the whole stream into the work files.
  // autoBit: 0 try both bit orders (least significant first), 1 only most
  // significant first, 2 only least significant first. Non-negative when a
  // coding was found; kWorkFilesUnwritable when the work files could not be
  // written (nothing is then known about the stream), -1 otherwise.
  static constexpr int kWorkFilesUnwritable = -2;
  int Analyse(std::uint8_t autoBit, std::uint8_t nonStandardWidth);

  // The raster record that Analyse left at the head of the raster file.
  bool LoadRasterHeader(PageRaster& raster) const;
  void SetLinesPerPage(std::uint32_t lines) { linesPerPage_ = lines; }
  void SetTotalLines(std::uint32_t lines) { totalLines_ = lines; }

  std::uint16_t CountPages();
  // Fills raster with page index from the raster file; 0, or -13 (no raster
  // file), -11 (empty raster file), -12 (raster too large).
  int DecodePage(std::uint16_t index, PageRaster& raster);
  // Writes every page into a new TIFF at outputPath; 0 when all of them were
  // written, negative when the work files are missing or unusable, when a
  // write failed or when part of the stream could not be kept.
  int WriteTiff(const std::string& outputPath, const PageRaster& raster);

private:
  // How much of the stream the good lines of the last decoding into files
  // (with the start markers in front of them) cover, from the first of them
  // to the end of the stream.
  struct Coverage {
    std::uint64_t goodBits = 0;
    std::uint64_t spanBits = 0;   // from the first good line to the end
    std::uint64_t streamBits = 0; // the whole stream
    // A trial that found its run of lines in data of another kind decodes
    // the rest as a wall of bad lines: most of the stream stays uncovered.
    bool Consistent() const { return goodBits > 0 && goodBits >= spanBits / 4; }
    // The whole stream but for page ends and padding.
    bool Complete() const { return goodBits > 0 && goodBits >= streamBits - streamBits / 100; }
  };
  // One way of reading T.6 data: behind a start marker, or from the first
  // byte (with a line that proves the width).
  struct Group4Trial {
    std::uint8_t bitOrder = 0;
    std::int32_t width = 0;
    bool fromFirstByte = false;
    bool operator==(const Group4Trial&) const = default;
  };
  struct Group4Choice {
    Group4Trial trial;
    Coverage coverage;
    // A reading of the whole stream beats one that leaves parts of it
    // undecoded (a start found in the middle of the data, where runs of V0
    // codes made 0xFF bytes; a width the later lines do not have). Of two
    // whole readings, a stream that begins with its start marker is read
    // behind it (reading the marker as white lines would add rows), else
    // the one that covers more wins. Of partial readings the first stays.
    bool BetterThan(const Group4Choice& other) const {
      if (coverage.Complete() != other.coverage.Complete())
        return coverage.Complete();
      if (!coverage.Complete())
        return false;
      if (BehindLeadingMarker() != other.BehindLeadingMarker())
        return BehindLeadingMarker();
      return coverage.goodBits > other.coverage.goodBits;
    }
    bool BehindLeadingMarker() const {
      return !trial.fromFirstByte && coverage.spanBits == coverage.streamBits;
    }
  };
  struct Group4Search {
    std::optional<Group4Choice> best;
    std::optional<Group4Trial> lastDecoded; // what the work files hold
    std::uint32_t decodings = 0;
  };
  // Whole-stream decodings of one analysis: every marked trial (two bit
  // orders, ten widths) and a dozen readings from the first byte.
  static constexpr std::uint32_t kMaxGroup4Decodings = 32;

  int TryGroup3(std::uint8_t bitOrder, bool nonStandardWidth);
  int TryGroup4(const std::vector<std::uint8_t>& bitOrders, bool nonStandardWidth);
  std::vector<std::int32_t> MarkedGroup4Widths(std::uint8_t bitOrder, bool nonStandardWidth) const;
  std::vector<std::int32_t> BareGroup4Widths(std::uint8_t bitOrder, bool nonStandardWidth) const;
  // Decodes the trial into the work files and keeps it in search when it is
  // consistent and better than the best so far; 0, -1 when its detector
  // refuses it, kWorkFilesUnwritable.
  int TryGroup4Trial(const Group4Trial& trial, Group4Search& search);
  int DecodeGroup4(const Group4Trial& trial);
  Coverage DecodedCoverage() const;
  std::uint64_t MarkersBefore(std::uint64_t bit) const;
  // The page's coded bytes, segment after segment; false when a record does
  // not lie inside the stream (that record is left out).
  bool GatherCodedBytes(SegmentIndexReader& index, const SegmentPage& page, std::uint8_t bitOrder,
                        std::vector<std::uint8_t>& data, std::uint32_t& lines) const;
  // Lines of the page's records that lie inside the stream.
  std::uint32_t CodedLines(SegmentIndexReader& index, const SegmentPage& page) const;
  // The page's rows from the raster file, as WhiteIsZero rows; false when
  // the raster file does not hold them all.
  bool GatherRows(const SegmentPage& page, std::uint32_t bytesPerRow,
                  std::vector<std::uint8_t>& data) const;

  std::uint32_t totalLines_ = 0;
  std::uint32_t linesPerPage_ = 0;
  std::uint16_t threshold_ = 50;
  std::uint8_t flagNum_ = 3;
  std::int16_t minWidth_ = 1728;
  std::uint8_t rawFlag_ = 0;
  std::string imagePath_;
  std::string segmentPath_;
  // Set when decoding into files lost lines of the stream: it stopped at the
  // raster file's size bound, an error inside a T.6 page lost its rest, or
  // pages of another width could not be kept.
  bool truncated_ = false;
};

// The engine's reader for documents of no recognised format.
class RawFaxDocument : public FaxFormatReader {
public:
  int Identify(const std::string& path, ConversionSettings& settings, bool& recognised) override;
  void DecodePage(std::uint16_t index, PageRaster& raster,
                  const ConversionSettings& settings) override;
  int WriteTiff(const std::string& outputPath, const ConversionSettings& settings,
                const PageRaster& firstPage) override;
  void Close() override { reader_.Close(); }

private:
  RawFaxReader reader_;
  bool analysed_ = false;
  std::uint16_t xResolution_ = 0;
};
