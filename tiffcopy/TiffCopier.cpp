#include "tiffcopy/TiffCopier.h"

#include "tiffcopy/CopyLimits.h"
#include "tiffcopy/ImageCopy.h"
#include "tiffcopy/ImageSettings.h"
#include "tiffcopy/SourceSpec.h"
#include "tiffcopy/TiffHandle.h"

#include <limits>

namespace tiffcopy {
namespace {

// What moving to the next image found.
enum class Step { Image, End, ChainBroken };

// Walks the images to copy: every directory in order, or the listed ones.
class ImageCursor {
public:
  ImageCursor(TIFF* tiff, const std::vector<std::optional<long>>& list)
      : tiff_(tiff), list_(list) {}

  // Selects the first image; false when the list names one that is missing.
  bool first() { return list_.empty() || select(list_[0]); }

  Step next() {
    if (list_.empty())
      return NextInChain();
    return ++index_ < list_.size() && select(list_[index_]) ? Step::Image : Step::End;
  }

private:
  // A link of 0 ends the chain, and so does a link back to a directory
  // already read (a loop); a link to a directory that cannot be read (a file
  // cut short) breaks it, and the images behind it are lost.
  Step NextInChain() {
    if (TIFFLastDirectory(tiff_))
      return Step::End;
    const toff_t current = TIFFCurrentDirOffset(tiff_);
    if (TIFFReadDirectory(tiff_) == 1)
      return Step::Image;
    // The library (4.5) reports a loop and an unreadable directory alike; a
    // loop it refuses before leaving the current directory, while a
    // directory it cannot read (cut short, or lacking required tags) it has
    // moved onto.
    return TIFFCurrentDirOffset(tiff_) == current ? Step::End : Step::ChainBroken;
  }

  bool select(const std::optional<long>& number) {
    const long directory = number.value_or(static_cast<long>(TIFFCurrentDirectory(tiff_)));
    if (directory < 0 || static_cast<unsigned long>(directory) > std::numeric_limits<tdir_t>::max())
      return false;
    return TIFFSetDirectory(tiff_, static_cast<tdir_t>(directory)) == 1;
  }

  TIFF* tiff_;
  const std::vector<std::optional<long>>& list_;
  std::size_t index_ = 0;
};

// Copies the current image and writes its output directory.
bool CopyOneImage(TiffHandle& in, TIFF* out, const ImageSettings& settings) {
  try {
    return CopyImage(in, out, settings) && TIFFWriteDirectory(out) == 1;
  } catch (...) {
    // Only allocation can throw here; the image is lost, which is a failure.
    return false;
  }
}

} // namespace
} // namespace tiffcopy

int CopyTiffImages(const std::string& input, const std::string& output,
                   const CopyOptions& options) {
  using namespace tiffcopy;
  const ImageSettings settings = SettingsFromOptions(options);
  TiffHandle out(output, options.append != 0 ? "a" : "w");
  if (!out.ok())
    return -2;
  const SourceSpec source = ParseSourceSpec(input);
  if (source.malformed)
    return -3;
  // No memory mapping: libtiff 4.5 then fails to read an uncompressed
  // FillOrder 2 page after another page ("Data buffer too small"), and the
  // mapped pages of a long document all count as resident memory (91 MiB
  // for 1000 fax pages; read page by page it stays near 5 MiB). No strip
  // chopping: the output keeps the source's strips, so a one-strip page
  // stays one strip (and Group 4 in one strip reaches the PDF unchanged).
  TiffHandle in(source.path, "rmc");
  if (!in.ok())
    return -3;
  ImageCursor cursor(in.get(), source.images);
  if (!cursor.first())
    return -3;
  int copied = 0;
  Step step = Step::Image;
  while (step == Step::Image) {
    if (copied == kMaxImages || !CopyOneImage(in, out.get(), settings))
      return 1;
    ++copied;
    step = cursor.next();
  }
  return step == Step::ChainBroken ? 1 : 0;
}
