#include "pdf/TiffAccess.h"

#include <mutex>

namespace pdf {

namespace {

int DropMessage(TIFF*, void*, const char*, const char*, va_list) {
  return 1; // handled: the library calls no other handler
}

} // namespace

void TiffCloser::operator()(TIFF* tiff) const {
  if (tiff != nullptr)
    TIFFClose(tiff);
}

void SilenceTiffLibrary() {
  static std::once_flag once;
  std::call_once(once, [] {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
  });
}

TIFFOpenOptions* QuietOpenOptions() {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (options == nullptr)
    return nullptr;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, TiffLimits::kMaxSingleAllocation);
  TIFFOpenOptionsSetErrorHandlerExtR(options, DropMessage, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, DropMessage, nullptr);
  return options;
}

TiffHandle OpenTiffForReading(const std::string& path) {
  SilenceTiffLibrary();
  TIFFOpenOptions* options = QuietOpenOptions();
  if (options == nullptr)
    return TiffHandle();
  // No memory mapping: libtiff 4.5 then fails to read an uncompressed
  // FillOrder 2 page that follows another page ("Data buffer too small").
  TiffHandle handle(TIFFOpenExt(path.c_str(), "rm", options));
  TIFFOpenOptionsFree(options);
  return handle;
}

NextDirectory ReadNextDirectory(TIFF* tiff) {
  if (TIFFLastDirectory(tiff))
    return NextDirectory::ChainEnded;
  if (TIFFReadDirectory(tiff) == 1)
    return NextDirectory::Read;
  // The library (4.5) reports a loop and an unreadable directory alike; only
  // its link state tells them apart: a loop is refused before the link is
  // followed, a directory it fails to fetch clears the link.
  return TIFFLastDirectory(tiff) ? NextDirectory::ChainBroken : NextDirectory::ChainEnded;
}

} // namespace pdf
