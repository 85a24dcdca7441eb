#include "pdf/StripEncoder.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include <tiffio.h>

#include "pdf/TiffAccess.h"

namespace pdf {

namespace {

using MemoryFile = StripEncoder::MemoryFile;

// While the file discards, reads give zeros: a directory chain walked by the
// library then ends at once.
tmsize_t ReadMemory(thandle_t handle, void* data, tmsize_t size) {
  auto* file = static_cast<MemoryFile*>(handle);
  if (size <= 0)
    return 0;
  if (file->discard) {
    std::memset(data, 0, static_cast<std::size_t>(size));
    return size;
  }
  if (file->position >= file->bytes.size())
    return 0;
  const auto count = std::min<std::uint64_t>(static_cast<std::uint64_t>(size),
                                             file->bytes.size() - file->position);
  std::memcpy(data, file->bytes.data() + file->position, count);
  file->position += count;
  return static_cast<tmsize_t>(count);
}

tmsize_t WriteMemory(thandle_t handle, void* data, tmsize_t size) {
  auto* file = static_cast<MemoryFile*>(handle);
  if (size < 0)
    return -1;
  if (file->discard)
    return size;
  const auto count = static_cast<std::uint64_t>(size);
  if (file->position + count > file->bytes.size())
    file->bytes.resize(file->position + count);
  std::memcpy(file->bytes.data() + file->position, data, count);
  file->position += count;
  return size;
}

toff_t SeekMemory(thandle_t handle, toff_t offset, int whence) {
  auto* file = static_cast<MemoryFile*>(handle);
  if (file->discard)
    return offset;
  std::uint64_t base = 0;
  if (whence == SEEK_CUR)
    base = file->position;
  else if (whence == SEEK_END)
    base = file->bytes.size();
  file->position = base + offset;
  return file->position;
}

int CloseMemory(thandle_t) { return 0; }

toff_t SizeMemory(thandle_t handle) { return static_cast<MemoryFile*>(handle)->bytes.size(); }

int MapNothing(thandle_t, void**, toff_t*) { return 0; }

void UnmapNothing(thandle_t, void*, toff_t) {}

bool SetStripFields(TIFF* tiff, const StripFormat& format) {
  return TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, format.width) &&
         TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, format.length) &&
         TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, format.bitsPerSample) &&
         TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, format.samplesPerPixel) &&
         TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, format.photometric) &&
         TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, format.length) &&
         TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
         TIFFSetField(tiff, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB) &&
         TIFFSetField(tiff, TIFFTAG_COMPRESSION, format.compression);
}

// The TIFF header the library writes on opening; strips always follow it,
// so that no strip ever starts at offset 0 (which means "not yet written").
constexpr std::size_t kHeaderSize = 8;

} // namespace

StripEncoder::StripEncoder() = default;

StripEncoder::~StripEncoder() {
  if (tiff_ == nullptr)
    return;
  file_.discard = true; // closing writes nothing that anyone reads
  TIFFClose(tiff_);
}

bool StripEncoder::Open() {
  SilenceTiffLibrary();
  TIFFOpenOptions* options = QuietOpenOptions();
  if (options == nullptr)
    return false;
  tiff_ = TIFFClientOpenExt("strip", "w", &file_, ReadMemory, WriteMemory, SeekMemory, CloseMemory,
                            SizeMemory, MapNothing, UnmapNothing, options);
  TIFFOpenOptionsFree(options);
  return tiff_ != nullptr;
}

// Writing a directory with every transfer suppressed clears the handle's
// fields and strip tables for the next image without keeping any bytes.
bool StripEncoder::Reset() {
  file_.discard = true;
  const bool written = TIFFWriteDirectory(tiff_) != 0;
  file_.discard = false;
  file_.bytes.resize(kHeaderSize);
  file_.position = kHeaderSize;
  return written;
}

std::optional<std::vector<std::uint8_t>>
StripEncoder::Encode(const StripFormat& format, std::span<const std::uint8_t> pixels) {
  if (broken_ || pixels.size() > static_cast<std::size_t>(std::numeric_limits<tmsize_t>::max()))
    return std::nullopt;
  if (tiff_ == nullptr && !Open()) {
    broken_ = true;
    return std::nullopt;
  }
  std::optional<std::vector<std::uint8_t>> coded;
  // The library takes a non-const buffer but only reads from it for encoding.
  auto* data = const_cast<std::uint8_t*>(pixels.data());
  if (SetStripFields(tiff_, format) &&
      TIFFWriteEncodedStrip(tiff_, 0, data, static_cast<tmsize_t>(pixels.size())) >= 0) {
    uint64_t* offsets = nullptr;
    uint64_t* counts = nullptr;
    if (TIFFGetField(tiff_, TIFFTAG_STRIPOFFSETS, &offsets) &&
        TIFFGetField(tiff_, TIFFTAG_STRIPBYTECOUNTS, &counts) && offsets != nullptr &&
        counts != nullptr && offsets[0] <= file_.bytes.size() &&
        counts[0] <= file_.bytes.size() - offsets[0]) {
      const auto begin = file_.bytes.begin() + static_cast<std::ptrdiff_t>(offsets[0]);
      coded.emplace(begin, begin + static_cast<std::ptrdiff_t>(counts[0]));
    }
  }
  if (!Reset() || !coded)
    broken_ = true;
  return coded;
}

} // namespace pdf
